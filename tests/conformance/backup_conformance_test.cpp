// A registry backup is only as good as the registry editor's import of it: here the
// editor itself ("regedit /s", Wine's own under Wine) brings back what a fix of rows of
// every kind removed, a subtree holding every kind of value and names holding the
// characters of the file's own syntax among it.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <thread>

#include "conformance/conformance_env.h"
#include "platform/reg_text.h"
#include "regrepair/fix_errors.h"

namespace norvik::conformance {
namespace {

using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

TEST(BackupConformanceTest, TheRegistryEditorRestoresWhatAFixOfEveryKindRemoved) {
  const auto env = MakeConformanceEnv();
  platform::Platform p = env->platform();
  const std::string key = env->ScratchKey() + "\\Backup";
  {
    const platform::RegKey root = p.registry.Root(RegRoot::CurrentUser);
    auto top = root.Create(key + "\\Types").value();
    std::vector<std::uint8_t> long_binary(100);
    for (std::size_t i = 0; i < long_binary.size(); ++i) long_binary[i] = static_cast<std::uint8_t>(255 - i);
    const std::pair<const char*, RegValue> kValues[] = {
        {"", RegValue::String("C:\\dir\\x.exe")}, {"a\"b\\c=[x]@;", RegValue::String("quote \" and \\ back")},
        {"café", RegValue::String("été €")}, {"empty", RegValue::String("")},
        {"nul inside", RegValue::String(std::string("a\0b", 3))}, {"lines", RegValue::String("one\r\ntwo")},
        {"expand", RegValue::ExpandString("%SystemRoot%\\é")},
        {"multi", RegValue::MultiString({"first", "", "dernière"})}, {"dword", RegValue::Dword(0xDEADBEEF)},
        {"qword", RegValue::Qword(0x0102030405060708ull)}, {"binary", RegValue::Binary(long_binary)},
        {"binary0", RegValue::Binary({})}, {"none", RegValue::Binary({1, 2}, RegType::None)},
        {"resources", RegValue::Binary({9, 8, 7}, RegType::ResourceList)},
    };
    for (const auto& [name, value] : kValues) ASSERT_TRUE(top.Set(name, value)) << name;
    ASSERT_TRUE(top.Create("Sub [x]=@;\\Deeper").value().Set("x", RegValue::Dword(1)));
    ASSERT_TRUE(top.Create("Empty"));
    auto values = root.Create(key + "\\V").value();
    for (const char* name : {"val1", "val2", "Nop-M1", "kept"}) ASSERT_TRUE(values.Set(name, RegValue::String(name)));
    ASSERT_TRUE(root.Create(key + "\\K3").value().Set("", RegValue::String("k3")));
    ASSERT_TRUE(root.Create(key + "\\D").value().Set("", RegValue::ExpandString("%TEMP%")));
  }
  const std::string shortcut = env->ScratchFolder() + "\\gone.lnk";
  ASSERT_TRUE(p.files.Open(shortcut, platform::FileAccess::Write, 0, platform::FileDisposition::CreateNew));
  const std::string folder = env->ScratchFolder() + "\\folder.lnk";
  ASSERT_TRUE(p.files.CreateDirectory(folder));
  const std::string before = platform::ExportRegKey(p.registry, RegRoot::CurrentUser, key,
                                                    platform::RegFormat::Version5).value();

  const std::string backup = env->ScratchFolder() + "\\2026_12_05_073420.reg";
  regrepair::BackedUpDeletes deletes(p.registry, p.files, backup);
  const std::string full = "HKEY_CURRENT_USER\\" + key;
  regscan::ProblemRows rows = {
      {true, "p", "", "NoBackslash", regscan::kFixKey},              // passed over, stays ticked
      {false, "p", "kept", full + "\\V", regscan::kFixNamedValue},  // not ticked
      {true, "p", "t", folder, regscan::kFixShortcut},               // a folder is never taken
      {true, "p", "", full + "\\Gone", regscan::kFixKey},            // no longer there: leaves
      {true, "p", "", full + "\\V", 9},                              // unknown kind: leaves
      {true, "p", "", "HKLM\\Software", regscan::kFixKey},           // short root: nothing done
      {true, "p", "", full + "\\Types", regscan::kFixKey},
      {true, "p", "", full + "\\V\\val1", regscan::kFixValuePath},
      {true, "p", "val2", full + "\\V", regscan::kFixNamedValue}, {true, "p", "K3", full, regscan::kFixSubKey},
      {true, "p", "x", shortcut, regscan::kFixShortcut}, {true, "p", "", full + "\\D", regscan::kFixDefaultValue},
      {true, "p", "Abc-Z1", full + "\\V", regscan::kFixRot13Value},
  };
  const regrepair::FixSummary fixed = regrepair::FixTickedRows(rows, deletes, p.files);
  EXPECT_EQ(std::tuple(fixed.removed, fixed.not_fixed), std::tuple(10u, 1u));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[0].ticked && rows[0].registry_key == "NoBackslash");
  EXPECT_FALSE(rows[2].ticked) << "the row of what could not be fixed stays, unticked";
  EXPECT_TRUE(p.files.GetAttributes(folder) && !p.files.GetAttributes(shortcut));
  const platform::RegKey left = p.registry.Root(RegRoot::CurrentUser).Open(key).value();
  EXPECT_EQ(left.SubKeyNames().value(), (std::vector<std::string>{"D", "V"}));
  EXPECT_EQ(left.Open("V").value().ValueNames().value(), std::vector<std::string>{"kept"});
  EXPECT_FALSE(left.Open("D").value().HasValue(""));
  // One file, written from the bottom of the list up.
  auto written = p.files.Open(backup, platform::FileAccess::Read, platform::file_share::kRead,
                              platform::FileDisposition::OpenExisting);
  EXPECT_TRUE(written->ReadAll(1 << 20).value_or("").starts_with("REGEDIT4\r\n\r\n[" + full + "\\V]\r\n\"Nop-M1\"="));

  auto editor = p.shell.StartHidden("Regedit /s \"" + backup + "\"");
  ASSERT_TRUE(editor) << editor.code();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!(*editor)->HasEnded() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE((*editor)->HasEnded());
  EXPECT_EQ(platform::ExportRegKey(p.registry, RegRoot::CurrentUser, key, platform::RegFormat::Version5).value(),
            before);
}

}  // namespace
}  // namespace norvik::conformance
