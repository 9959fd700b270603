// Two cleaners run through norvik.exe against Wine's own registry, profile and temp
// folder: Recent Documents and Temporary Files (one file held open by this process).
// Which masks, keys and values each item takes is proven natively. The Test counts and lists every trace and changes nothing; the Clean
// removes exactly those traces, leaves every neighbour and counts only what it removed.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kRecentDocs[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr wchar_t kNeighbour[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\NorvikNeighbour";
// The test's own temp folder: norvik.exe inherits TMP and TEMP from this process.
constexpr wchar_t kTemp[] = L"C:\\NorvikGuiTemp";

enum class Place { Recent, Temp };
// Goes: listed and removed. Held: listed, but open here, so the Clean cannot remove it.
enum class Fate { Stays, Goes, Held };

struct PlantedFile {
  Place place;
  const wchar_t* name;
  size_t size;
  Fate fate;
};

// Recent: 2150 bytes go. Temp: 6035 bytes listed, 4035 removed.
constexpr PlantedFile kFiles[] = {
    // "*.*" without descent: a name without a dot matches too; the subfolder stays whole.
    {Place::Recent, L"report.lnk", 100, Fate::Goes},
    {Place::Recent, L"Notes.TXT.lnk", 2000, Fate::Goes},
    {Place::Recent, L"noext", 50, Fate::Goes},
    {Place::Recent, L"NorvikSub\\old.lnk", 10, Fate::Stays},
    // Every file at any depth; subfolders are removed once empty.
    {Place::Temp, L"x.tmp", 1024, Fate::Goes},
    {Place::Temp, L"y.dat", 1, Fate::Goes},
    {Place::Temp, L"Sub\\z.tmp", 3000, Fate::Goes},
    {Place::Temp, L"Sub\\Deeper\\w.tmp", 10, Fate::Goes},
    {Place::Temp, L"Held\\held.tmp", 2000, Fate::Held},
};

struct PlantedValue {
  const wchar_t* key;
  const wchar_t* name;
  bool goes;
};

// RecentDocs holds 3 values.
const PlantedValue kValues[] = {
    {kRecentDocs, L"MRUListEx", true},
    {kRecentDocs, L"0", true},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\.txt", L"0", true},
    {kNeighbour, L"a", false},
};

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH]{};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// Deletes the files directly in `folder`; its subfolders stay.
void DeleteFilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
  }
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}

std::string Content(const PlantedFile& file) { return std::string(file.size, file.fate == Fate::Held ? 'h' : 'n'); }

class WindowsCleanersTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    recent_ = ShellFolder(CSIDL_RECENT);
    ASSERT_FALSE(recent_.empty()) << "the shell names no Recent folder";
    RemovePlanted(true);
    // A throw-away prefix: whatever the Recent folder held would only blur the counts.
    DeleteFilesIn(recent_);
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      saved_env_.emplace_back(name, EnvOr(name, L""));
      ::SetEnvironmentVariableW(name, kTemp);
    }
  }

  void TearDown() override {
    for (const auto& [name, value] : saved_env_) ::SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
    // A failed test keeps its files to look at; the registry is shared, so it is cleaned always.
    RemovePlanted(!HasFailure());
    ProgramFolderTest::TearDown();
  }

  void RemovePlanted(bool files) {
    for (const wchar_t* key : {kRecentDocs, kNeighbour}) ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    if (!files || recent_.empty()) return;
    RemoveFolderTree(kTemp);
    RemoveFolderTree(recent_ + L"\\NorvikSub");
    for (const PlantedFile& file : kFiles) {
      if (file.place == Place::Recent) ::DeleteFileW(PathOf(file).c_str());
    }
  }

  std::wstring FolderOf(Place place) const { return place == Place::Recent ? recent_ : std::wstring(kTemp); }
  std::wstring PathOf(const PlantedFile& file) const { return FolderOf(file.place) + L"\\" + file.name; }

  // The whole log of a run; the file lines of each folder as the table lists them.
  std::vector<std::wstring> ExpectedLog(bool clean) const {
    const std::wstring prefix = clean ? L"Clean: " : L"Test: ", removed = clean ? L"to be removed" : L"will be removed",
                       separator(107, L'-'), hkcu = L"HKEY_CURRENT_USER\\";
    std::vector<std::wstring> log;
    const auto file_lines = [&](Place place) {
      for (const PlantedFile& file : kFiles) {
        if (file.place == place && file.fate != Fate::Stays) log.push_back(prefix + L"deleting " + PathOf(file));
      }
    };
    const auto item_end = [&](int items, int kb) {
      const std::wstring result =
          std::to_wstring(items) + L" items " + removed + L"; " + std::to_wstring(kb) + L" KB " + removed + L".";
      log.insert(log.end(), {L"", result, L"", separator});
    };
    log.push_back(prefix + L"Clearing Windows - Recent Documents ...");
    log.push_back(prefix + L"deleting registry key " + hkcu + kRecentDocs);
    file_lines(Place::Recent);
    item_end(6, 3);
    // The held file is listed by the Clean too, but neither counted nor removed.
    log.push_back(prefix + L"Clearing Windows - Temporary Files ...");
    file_lines(Place::Temp);
    item_end(clean ? 4 : 5, clean ? 4 : 6);
    log.push_back(L"Total items " + removed + L" = " + (clean ? L"10" : L"11") + L" ; Total files " + removed + L" = " +
                  (clean ? L"7" : L"8") + L" KB");
    log.push_back(separator);
    return log;
  }

  // Before the Clean everything is there; after it only what stays.
  void ExpectTraces(bool after_clean) const {
    for (const PlantedFile& file : kFiles) {
      const bool there = file.fate != Fate::Goes || !after_clean;
      EXPECT_EQ(PathExists(PathOf(file)), there) << PathOf(file);
    }
    for (const PlantedValue& value : kValues) {
      EXPECT_EQ(UserValueExists(value.key, value.name), !value.goes || !after_clean) << value.key << " " << value.name;
    }
    EXPECT_EQ(UserKeyExists(kRecentDocs), !after_clean);
    EXPECT_EQ(PathExists(std::wstring(kTemp) + L"\\Sub"), !after_clean) << "emptied temp subfolder";
    EXPECT_TRUE(PathExists(kTemp) && PathExists(recent_ + L"\\NorvikSub"));
  }

  std::wstring recent_;
  std::vector<std::pair<const wchar_t*, std::wstring>> saved_env_;
};

TEST_F(WindowsCleanersTest, TestListsEveryTraceAndCleanRemovesAllButTheFileInUse) {
  for (const PlantedFile& file : kFiles) ASSERT_TRUE(PlantFile(PathOf(file), Content(file))) << PathOf(file);
  for (const PlantedValue& value : kValues) ASSERT_TRUE(PlantUserValues(value.key, {value.name})) << value.key;
  const std::wstring held_path = std::wstring(kTemp) + L"\\Held\\held.tmp";
  std::unique_ptr<void, decltype(&::CloseHandle)> held(
      ::CreateFileW(held_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      &::CloseHandle);
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE) << "cannot hold " << held_path;

  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini",
                         "[Options]\r\nIsAskBeforeClear=0\r\n[Settings]\r\nFastScan=0\r\n"
                         "[NodeSelected]\r\nSelectedCount=3\r\n1=Windows\r\n2=Windows - Recent Documents\r\n"
                         "3=Windows - Temporary Files\r\n"));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);

  ::SendMessageW(test, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForFinish(app, L"Test: "));
  EXPECT_EQ(SortFileLines(ListLines(log)), SortFileLines(ExpectedLog(false)));
  ExpectTraces(false);

  ::PostMessageW(clean, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForFinish(app, L"Clean: "));
  EXPECT_EQ(SortFileLines(ListLines(log)), SortFileLines(ExpectedLog(true)));
  ExpectTraces(true);
  ShotIfAsked(app, app.window(), L"windows_cleaners.bmp");
  EXPECT_TRUE(app.Close());

  held.reset();
  EXPECT_EQ(ReadBytes(held_path), std::string(2000, 'h')) << "the file in use was changed";
}

}  // namespace
}  // namespace norvik::gui
