// What the Win32 backend must get right against the real API and the shared
// conformance suite cannot express: the handle owners, the UTF-8/UTF-16 edge, buffers
// that have to grow, and the calls that only exist on real Windows.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

template <typename T>
constexpr bool kMoveOnly = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T> &&
                           std::is_nothrow_move_constructible_v<T> &&
                           std::is_nothrow_move_assignable_v<T>;
static_assert(kMoveOnly<unique_hkey>);
static_assert(kMoveOnly<unique_handle>);
static_assert(kMoveOnly<unique_find>);
static_assert(kMoveOnly<unique_hlocal>);
static_assert(kMoveOnly<unique_sid>);
static_assert(kMoveOnly<unique_cotaskmem>);
static_assert(kMoveOnly<unique_com<IUnknown>>);

TEST(UniqueHandleTest, BothFailureValuesCountAsNoHandle) {
  EXPECT_FALSE(unique_handle(nullptr));
  EXPECT_FALSE(unique_handle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(unique_find(INVALID_HANDLE_VALUE));

  unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.get();
  unique_handle moved = std::move(event);
  EXPECT_FALSE(event);  // NOLINT(bugprone-use-after-move): the point of the check
  EXPECT_EQ(moved.get(), raw);
  moved.reset();
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "reset must close the handle";
}

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = conformance::MakeConformanceEnv();
    key_ = Wide(env_->ScratchKey());
    folder_ = env_->ScratchFolder();
    auto opened = platform().registry.Root(RegRoot::CurrentUser).Open(env_->ScratchKey());
    ASSERT_TRUE(opened) << opened.code();
    scratch_ = std::move(opened).value();
  }

  Platform platform() { return env_->platform(); }

  std::unique_ptr<conformance::ConformanceEnv> env_;
  std::wstring key_;
  std::string folder_;
  RegKey scratch_;
};

// Names made through the backend are the names the W functions see, and back.
TEST_F(Win32BackendTest, NonAsciiRegistryNamesCrossTheBoundaryIntact) {
  const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  const std::wstring wide_name = L"Gr\u00FC\u00DFe \u65E5\u672C \U0001F600";
  ASSERT_TRUE(scratch_.Create(name));

  unique_hkey raw;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (key_ + L"\\" + wide_name).c_str(), 0, KEY_READ,
                            raw.put()),
            ERROR_SUCCESS);

  const wchar_t data[] = L"x";
  unique_hkey scratch_raw;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, scratch_raw.put()),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExW(scratch_raw.get(), wide_name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data), sizeof(data)),
            ERROR_SUCCESS);
  EXPECT_EQ(scratch_.ValueNames().value_or({}), std::vector<std::string>{name});
  EXPECT_EQ(scratch_.Query(name).value_or({}).AsString(), "x");
}

// Enumeration buffers start small and must grow to the longest names Windows allows.
TEST_F(Win32BackendTest, LongestNamesAreEnumeratedInFull) {
  const std::string key_name(255, 'k');
  const std::string value_name(16383, 'v');
  ASSERT_TRUE(scratch_.Create(key_name));
  ASSERT_TRUE(scratch_.Set(value_name, RegValue::Dword(1)));
  EXPECT_EQ(scratch_.SubKeyNames().value_or({}), std::vector<std::string>{key_name});
  EXPECT_EQ(scratch_.ValueNames().value_or({}), std::vector<std::string>{value_name});
}

// A NUL inside a name would make the W function act on a shorter name.
TEST_F(Win32BackendTest, EmbeddedNulIsRefusedNotTruncated) {
  ASSERT_TRUE(scratch_.Set("a", RegValue::Dword(7)));
  const std::string with_nul("a\0b", 3);
  EXPECT_FALSE(scratch_.Set(with_nul, RegValue::Dword(1)));
  EXPECT_FALSE(scratch_.DeleteValue(with_nul));
  EXPECT_EQ(scratch_.Query("a").value_or({}).AsDword(), 7u);

  const std::string file = folder_ + "\\keep.txt";
  ASSERT_TRUE(platform().files.Open(file, FileAccess::Write, file_share::kNone,
                                    FileDisposition::CreateNew));
  EXPECT_EQ(platform().files.DeleteFile(file + std::string("\0.bak", 5)).code(), kErrInvalidName);
  EXPECT_EQ(platform().files.ShellDelete(folder_ + std::string("\0x", 2)).code(), kErrInvalidName);
  EXPECT_TRUE(platform().files.GetAttributes(file));
}

TEST_F(Win32BackendTest, SaveKeyWritesAHiveFile) {
  ASSERT_TRUE(platform().system.EnablePrivilege("SeBackupPrivilege"));
  ASSERT_TRUE(scratch_.Set("v", RegValue::String("data")));
  const std::string hive = folder_ + "\\scratch.hiv";
  ASSERT_TRUE(scratch_.SaveToFile(hive));
  auto file = platform().files.Open(hive, FileAccess::Read, file_share::kAll,
                                    FileDisposition::OpenExisting);
  ASSERT_TRUE(file);
  EXPECT_GT(file->Size().value_or(0), 0u);
}

TEST_F(Win32BackendTest, ShellDeleteRemovesATreeButNeverPatternsOrRoots) {
  Files& files = platform().files;
  const std::string tree = folder_ + "\\tree";
  for (const std::string& dir : {tree, tree + "\\sub", tree + "\\sub\\deeper"}) {
    ASSERT_TRUE(files.CreateDirectory(dir)) << dir;
  }
  for (const std::string& path : {tree + "\\a.txt", tree + "\\sub\\deeper\\b.txt"}) {
    auto f = files.Open(path, FileAccess::Write, file_share::kNone, FileDisposition::CreateNew);
    ASSERT_TRUE(f) << path;
    ASSERT_TRUE(f->WriteAll("x"));
  }
  ASSERT_TRUE(files.SetAttributes(tree + "\\a.txt", file_attr::kReadOnly));

  EXPECT_EQ(files.ShellDelete(tree + "\\*.txt").code(), kErrInvalidName);
  EXPECT_EQ(files.ShellDelete(tree + "\\a.tx?").code(), kErrInvalidName);
  EXPECT_TRUE(files.GetAttributes(tree + "\\a.txt")) << "a pattern must delete nothing";
  for (const char* root : {"C:", "C:\\", "\\", "\\\\server\\share\\"}) {
    EXPECT_FALSE(files.ShellDelete(root)) << root;
  }

  EXPECT_TRUE(files.ShellDelete(tree));
  EXPECT_EQ(files.GetAttributes(tree).code(), kErrFileNotFound);
  EXPECT_EQ(files.ShellDelete(tree).code(), kErrFileNotFound);
}

TEST_F(Win32BackendTest, DrivesAndDevices) {
  Files& files = platform().files;
  EXPECT_NE(files.LogicalDrives() & (1u << 2), 0u);
  EXPECT_EQ(files.GetDriveType("C:\\"), DriveType::Fixed);
  EXPECT_TRUE(files.IsVolumeReady("C:\\"));

  auto devices = files.QueryDosDevice("C:");
  ASSERT_TRUE(devices) << devices.code();
  ASSERT_FALSE(devices->empty());
  EXPECT_EQ(devices->front().rfind("\\Device\\", 0), 0u) << devices->front();
  EXPECT_FALSE(files.QueryDosDevice(""));

  // A letter nobody mapped: no volume, no "insert a disk" box.
  const std::uint32_t drives = files.LogicalDrives();
  for (char letter = 'Y'; letter > 'D'; --letter) {
    if ((drives & (1u << (letter - 'A'))) != 0) continue;
    const std::string root = std::string(1, letter) + ":\\";
    EXPECT_FALSE(files.IsVolumeReady(root)) << root;
    EXPECT_FALSE(files.QueryDosDevice(root.substr(0, 2))) << root;
    break;
  }
}

TEST_F(Win32BackendTest, FolderQueriesGrowTheirBuffers) {
  Files& files = platform().files;
  // Longer than MAX_PATH once made absolute: the answer must not be cut.
  const std::string long_relative = std::string(300, 'a') + "\\b.txt";
  auto full = files.GetFullPathName(long_relative);
  ASSERT_TRUE(full) << full.code();
  EXPECT_GT(full->size(), long_relative.size());
  EXPECT_EQ(full->substr(full->size() - long_relative.size()), long_relative);

  EXPECT_EQ(files.TempFolder().back(), '\\');
  EXPECT_TRUE(EqualsIgnoreCase(files.WindowsFolder(), "C:\\windows"));
  EXPECT_TRUE(EqualsIgnoreCase(files.SystemFolder(), "C:\\windows\\system32"));
  auto short_name = files.GetShortPathName("C:\\Program Files");
  ASSERT_TRUE(short_name) << short_name.code();
  EXPECT_EQ(short_name->find(' '), std::string::npos) << *short_name;
}

TEST_F(Win32BackendTest, IniListsLongerThanTheFirstBuffer) {
  IniFiles& ini = platform().ini;
  const std::string file = folder_ + "\\many.ini";
  std::vector<std::string> keys;
  // Both lists come to well over the 4096 characters asked for first.
  std::string text = "[Section]\r\n";
  for (int i = 0; i < 120; ++i) {
    keys.push_back(std::string(60, 'k') + std::to_string(i));
    text += keys.back() + "=1\r\n";
  }
  for (int i = 0; i < 120; ++i) text += "[" + std::string(60, 's') + std::to_string(i) + "]\r\n";
  auto out = platform().files.Open(file, FileAccess::Write, file_share::kNone,
                                   FileDisposition::CreateNew);
  ASSERT_TRUE(out);
  ASSERT_TRUE(out->WriteAll(text));
  out->Close();

  EXPECT_EQ(ini.GetKeys(file, "Section"), keys);
  EXPECT_EQ(ini.GetSections(file).size(), 121u);

  ASSERT_TRUE(ini.WriteString(file, "Section", "text", "abcdefgh"));
  EXPECT_EQ(ini.GetString(file, "Section", "text", "", 5), "abcd");
  EXPECT_EQ(ini.GetString(file, "Section", "text", "", 0), "");
}

}  // namespace
}  // namespace norvik::platform::win32
