// The release packages as an administrator and a user meet them: the Windows Installer
// package installed, upgraded and removed silently, the portable zip unpacked and run.
// scripts/test.sh makes them and names them in NORVIK_MSI, NORVIK_MSI_NEWER (a higher
// version of the same package) and NORVIK_PORTABLE (the unpacked zip's folder); the
// tests skip without them.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/product.h"
#include "cleaning/clean_item_tree.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring kInstallerProducts = L"Software\\Classes\\Installer\\Products\\";
const std::wstring kInstalled = L"C:\\Program Files\\Norvik Cleaner\\";

std::wstring Expand(const wchar_t* text) {
  wchar_t buffer[MAX_PATH]{};
  return ::ExpandEnvironmentStringsW(text, buffer, MAX_PATH) ? buffer : L"";
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// msiexec with `arguments` and no user interface; its exit code.
DWORD SilentMsiexec(const std::wstring& arguments) { return RunToItsEnd(L"msiexec.exe " + arguments + L" /qn", L"", 120000); }

// The subkeys of `parent` (ending with its backslash) whose value `name` is `text`.
std::vector<std::wstring> MachineKeysWith(const std::wstring& parent, const wchar_t* name, std::string_view text) {
  std::vector<std::wstring> found;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
  wchar_t subkey[256];
  for (DWORD i = 0;; ++i) {
    DWORD chars = 256;
    if (::RegEnumKeyExW(key, i, subkey, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (RegText(HKEY_LOCAL_MACHINE, parent + subkey, name) == Widen(text)) found.emplace_back(subkey);
  }
  ::RegCloseKey(key);
  return found;
}

// Our entries in Add/Remove Programs, named by product code.
std::vector<std::wstring> ProgramEntries() { return MachineKeysWith(kUninstall, L"DisplayName", app::kProductName); }

// "3.5.1" of "C:\...\norvik-3.5.1.msi".
std::wstring VersionOf(const std::wstring& msi) {
  const auto dash = msi.rfind(L'-');
  return msi.substr(dash + 1, msi.size() - dash - 1 - 4);
}

// Wine puts a per-machine shortcut in the user's Start menu; Windows in the common one.
bool StartMenuShortcutExists() {
  const wchar_t* menus[] = {L"%ProgramData%", L"%APPDATA%"};
  for (const wchar_t* menu : menus) {
    if (PathExists(Expand(menu) + L"\\Microsoft\\Windows\\Start Menu\\Programs\\Norvik Cleaner.lnk")) return true;
  }
  return false;
}

class PackageTest : public ::testing::Test {
 protected:
  const std::wstring msi_ = EnvOr(L"NORVIK_MSI", L"");
  const std::wstring newer_ = EnvOr(L"NORVIK_MSI_NEWER", L"");
  const std::wstring portable_ = EnvOr(L"NORVIK_PORTABLE", L"");
  const std::wstring data_ = Expand(L"%APPDATA%\\Norvik Cleaner\\");
};

TEST_F(PackageTest, InstallerInstallsUpgradesAndUninstallsSilentlyLeavingTheUsersFiles) {
  if (msi_.empty() || newer_.empty()) GTEST_SKIP() << "NORVIK_MSI and NORVIK_MSI_NEWER name no packages";
  RemoveFolderTree(data_);
  ASSERT_EQ(SilentMsiexec(L"/i \"" + msi_ + L"\""), 0u);
  for (const wchar_t* file : {L"norvik.exe", L"qolt.dat", L"installed.txt"}) {
    EXPECT_TRUE(PathExists(kInstalled + file)) << file;
  }
  EXPECT_TRUE(StartMenuShortcutExists());
  const auto entries = ProgramEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstall + entries[0], L"DisplayVersion"), VersionOf(msi_));
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstall + entries[0], L"Publisher"), L"Norvik Software");
  // Add/Remove Programs takes an installed package's icon from its product registration.
  const auto products = MachineKeysWith(kInstallerProducts, L"ProductName", app::kProductName);
  ASSERT_EQ(products.size(), 1u);
  EXPECT_TRUE(PathExists(RegText(HKEY_LOCAL_MACHINE, kInstallerProducts + products[0], L"ProductIcon")));

  {
    App app;
    ASSERT_TRUE(app.Start(kInstalled + L"norvik.exe"));
    // Its own entry must not make the program offer itself as an application to clean.
    const RemoteTree tree(app.Control(ui::ids::kCleanItems), app.process());
    const std::wstring own = Upper(Widen(app::kProductName));
    for (HTREEITEM group : tree.Children(nullptr)) {
      if (tree.Text(group) != Widen(cleaning::kApplicationsGroup)) continue;
      for (HTREEITEM item : tree.Children(group)) {
        const std::wstring name = Upper(tree.Text(item));
        EXPECT_TRUE(own.find(name) == std::wstring::npos && name.find(own) == std::wstring::npos) << tree.Text(item);
      }
    }
    EXPECT_TRUE(app.Close());
  }
  EXPECT_FALSE(PathExists(kInstalled + L"options.ini"));
  EXPECT_EQ(IniValue(data_ + L"options.ini", L"Options", L"OutputDirectory"), data_ + L"Backup");
  ASSERT_TRUE(PlantFile(data_ + L"Backup\\fix.reg", "REGEDIT4\r\n"));  // a backup the user may still need

  ASSERT_EQ(SilentMsiexec(L"/i \"" + newer_ + L"\""), 0u);
  const auto upgraded = ProgramEntries();
  ASSERT_EQ(upgraded.size(), 1u) << "the newer package replaces the older one";
  EXPECT_NE(upgraded[0], entries[0]);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstall + upgraded[0], L"DisplayVersion"), VersionOf(newer_));
  EXPECT_TRUE(PathExists(kInstalled + L"norvik.exe"));

  ASSERT_EQ(SilentMsiexec(L"/x " + upgraded[0]), 0u);
  EXPECT_FALSE(PathExists(kInstalled));
  EXPECT_TRUE(ProgramEntries().empty());
  EXPECT_FALSE(StartMenuShortcutExists());
  EXPECT_TRUE(PathExists(data_ + L"options.ini"));
  EXPECT_EQ(ReadBytes(data_ + L"Backup\\fix.reg"), "REGEDIT4\r\n");
  if (!HasFailure()) RemoveFolderTree(data_);
}

TEST_F(PackageTest, PortableCopyRunsAndKeepsItsSettingsBesideItself) {
  if (portable_.empty()) GTEST_SKIP() << "NORVIK_PORTABLE names no unpacked zip";
  const std::wstring folder = portable_ + L"\\";
  for (const wchar_t* file : {L"norvik.exe", L"qolt.dat", L"README.txt", L"LICENSE.txt"}) {
    EXPECT_TRUE(PathExists(folder + file)) << file;
  }
  ::DeleteFileW((data_ + L"options.ini").c_str());
  App app;
  ASSERT_TRUE(app.Start(folder + L"norvik.exe"));
  EXPECT_TRUE(app.Close());
  EXPECT_EQ(IniValue(folder + L"options.ini", L"Options", L"OutputDirectory"), folder + L"Backup");
  EXPECT_FALSE(PathExists(data_ + L"options.ini"));
}

}  // namespace
}  // namespace norvik::gui
