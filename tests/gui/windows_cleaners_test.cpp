// Built-in cleaners run through norvik.exe against Wine's own registry, profile, cookie,
// cache and temp folders: Recent Documents, Temporary Files (one file held open by this
// process), and Internet Explorer's Cookies (a keep list) and Temporary Internet Files
// (its index held as the browser holds it). Which masks, keys and values each item takes
// is proven natively. The Test lists every trace and changes nothing; the Clean removes
// exactly those traces, leaves every neighbour and counts only what it removed.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/index_dat_builder.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kRecentDocs[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr wchar_t kNeighbour[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\NorvikNeighbour";
// The test's own temp folder: norvik.exe inherits TMP and TEMP from this process.
constexpr wchar_t kTemp[] = L"C:\\NorvikGuiTemp";

enum class Place { Recent, Temp, Cookies, Cache };
// Goes: listed and removed. Held: listed, but open here, so the Clean cannot remove it.
enum class Fate { Stays, Goes, Held };

struct PlantedFile {
  Place place;
  const wchar_t* name;
  size_t size;
  Fate fate;
};

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
    // Cookie text files but the kept one; other names stay.
    {Place::Cookies, L"keep.txt", 1, Fate::Stays},
    {Place::Cookies, L"b.txt", 100, Fate::Goes},
    {Place::Cookies, L"c.txt", 1500, Fate::Goes},
    {Place::Cookies, L"notes.dat", 1, Fate::Stays},
    {Place::Cache, L"Content.IE5\\AB12\\page.htm", 3000, Fate::Goes},
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

// An index with one table at 0x1000 pointing to one address.
std::string IndexDat() {
  formats::IndexDatBuilder file(0x3000, 'r');
  file.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x200}}).Url(0x200, 1, "http://listed.example/");
  return file.bytes();
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

class WindowsCleanersTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    recent_ = SpecialFolder(CSIDL_RECENT);
    cookies_ = SpecialFolder(CSIDL_COOKIES);
    cache_ = SpecialFolder(CSIDL_INTERNET_CACHE);
    ASSERT_FALSE(recent_.empty() || cookies_.empty() || cache_.empty()) << "the shell names no such folder";
    RemovePlanted(true);
    // A throw-away prefix: whatever these folders held would only blur the counts.
    DeleteFilesIn(recent_);
    DeleteFilesIn(cookies_);
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
    RemoveFolderTree(cache_ + L"\\Content.IE5");
    for (const PlantedFile& file : kFiles) ::DeleteFileW(PathOf(file).c_str());
    ::DeleteFileW((cookies_ + L"\\index.dat").c_str());
  }

  std::wstring PathOf(const PlantedFile& file) const {
    const std::wstring folders[] = {recent_, kTemp, cookies_, cache_};
    return folders[static_cast<int>(file.place)] + L"\\" + file.name;
  }

  // Before the Clean everything is there; after it only what stays.
  void ExpectTraces(bool after_clean) const {
    for (const PlantedFile& file : kFiles) {
      EXPECT_EQ(PathExists(PathOf(file)), file.fate != Fate::Goes || !after_clean) << PathOf(file);
    }
    for (const PlantedValue& value : kValues) {
      EXPECT_EQ(UserValueExists(value.key, value.name), !value.goes || !after_clean) << value.key << " " << value.name;
    }
    EXPECT_EQ(UserKeyExists(kRecentDocs), !after_clean);
    EXPECT_EQ(PathExists(std::wstring(kTemp) + L"\\Sub"), !after_clean) << "emptied temp subfolder";
    EXPECT_TRUE(PathExists(kTemp) && PathExists(recent_ + L"\\NorvikSub"));
  }

  std::wstring recent_, cookies_, cache_;
  std::vector<std::pair<const wchar_t*, std::wstring>> saved_env_;
};

TEST_F(WindowsCleanersTest, TestListsEveryTraceAndCleanRemovesAllButWhatIsInUseOrKept) {
  for (const PlantedFile& file : kFiles) {
    ASSERT_TRUE(PlantFile(PathOf(file), std::string(file.size, file.fate == Fate::Held ? 'h' : 'n'))) << PathOf(file);
  }
  for (const PlantedValue& value : kValues) ASSERT_TRUE(PlantUserValues(value.key, {value.name})) << value.key;
  const std::wstring held_path = std::wstring(kTemp) + L"\\Held\\held.tmp", cache_index = cache_ + L"\\Content.IE5\\index.dat";
  ASSERT_TRUE(PlantFile(cookies_ + L"\\index.dat", IndexDat()) && PlantFile(cache_index, IndexDat()));
  std::unique_ptr<void, decltype(&::CloseHandle)> held(
      ::CreateFileW(held_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      &::CloseHandle);
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE) << "cannot hold " << held_path;
  // Held as the browser holds it: readable and writable by others, not deletable.
  std::unique_ptr<void, decltype(&::CloseHandle)> held_index(
      ::CreateFileW(cache_index.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                    nullptr),
      &::CloseHandle);
  ASSERT_NE(held_index.get(), INVALID_HANDLE_VALUE);
  // Count 1: the stale key "1" left by a longer list keeps nothing.
  ASSERT_TRUE(WriteBytes(folder_ + L"\\Cookies.ini", "[Cookies to Keep]\r\nCount=1\r\n0=keep.txt\r\n1=b.txt\r\n"));
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini",
                         "[Options]\r\nIsAskBeforeClear=0\r\n[Settings]\r\nFastScan=0\r\n"
                         "[NodeSelected]\r\nSelectedCount=6\r\n1=Windows\r\n2=Windows - Recent Documents\r\n"
                         "3=Windows - Temporary Files\r\n4=Internet Explorer\r\n5=Internet Explorer - Cookies\r\n"
                         "6=Internet Explorer - Temporary Internet Files\r\n"));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);
  for (const bool is_clean : {false, true}) {
    const std::wstring prefix = is_clean ? L"Clean: " : L"Test: ", phrase = is_clean ? L"to be removed" : L"will be removed";
    ::PostMessageW(is_clean ? clean : test, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForFinish(app, prefix));
    const std::vector<std::wstring> lines = ListLines(log);
    const auto has_line = [&](const std::wstring& line) { return std::ranges::find(lines, line) != lines.end(); };
    // The held temp file is listed by the Clean too; the cache page is counted below.
    for (const PlantedFile& file : kFiles) {
      if (file.place == Place::Cache) continue;
      EXPECT_EQ(has_line(prefix + L"deleting " + PathOf(file)), file.fate != Fate::Stays) << PathOf(file);
    }
    EXPECT_TRUE(has_line(prefix + L"deleting registry key HKEY_CURRENT_USER\\" + kRecentDocs));
    // Per item: Recent Documents, Temporary Files (the held file neither counted nor
    // removed by the Clean), Cookies, and the cache page (a Test leaves the index out, a
    // Clean cannot delete it).
    const std::pair<int, int> items[] = {{6, 3}, {is_clean ? 4 : 5, is_clean ? 4 : 6}, {2, 2}, {1, 3}};
    for (const auto& [count, kb] : items) {
      const std::wstring line = std::to_wstring(count) + L" items " + phrase + L"; " + std::to_wstring(kb) + L" KB " +
                                phrase + L".";
      EXPECT_TRUE(has_line(line)) << line;
    }
    EXPECT_EQ(has_line(L"Clearing, please wait..."), is_clean);
    ExpectTraces(is_clean);
  }
  ShotIfAsked(app, app.window(), L"windows_cleaners.bmp");
  EXPECT_TRUE(app.Close());

  held.reset();
  EXPECT_EQ(ReadBytes(held_path), std::string(2000, 'h')) << "the file in use was changed";
  EXPECT_EQ(ReadBytes(cookies_ + L"\\index.dat"), IndexDat()) << "a cookie is kept, so its index stays";
  std::string overwritten = IndexDat();
  overwritten.replace(0x1020, overwritten.size() - 0x1020, overwritten.size() - 0x1020, '\0');
  EXPECT_EQ(ReadBytes(cache_index), overwritten) << "overwritten in place behind its table headers";
}

}  // namespace
}  // namespace norvik::gui
