// Cleaning runs as the user meets them, through norvik.exe: items ticked in options.ini,
// Test, then Clean with its confirmation, against Wine's own registry, profile, cookie,
// cache and temp folders and traces the test plants under C:\ and HKCU: a qolt.dat item
// (a mask), the custom list (a key, a value, a folder), Recent Documents, Temporary Files
// (one file held open by this process), and Internet Explorer's Cookies (a keep list)
// and Temporary Internet Files (its index held as the browser holds it). Which masks,
// keys and values each item takes, and the log's form, are proven natively. The log is
// read back from the list box, the bar's caption from the bar.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/index_dat_builder.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kDataRoot[] = L"C:\\NorvikRunData";
constexpr wchar_t kTestKey[] = L"Software\\NorvikGuiTest";
constexpr wchar_t kRecentDocs[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr wchar_t kNeighbour[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\NorvikNeighbour";
// The test's own temp folder: norvik.exe inherits TMP and TEMP from this process.
constexpr wchar_t kTemp[] = L"C:\\NorvikGuiTemp";
constexpr DWORD kRunTimeoutMs = 120000;

std::wstring Key(const std::wstring& below) { return std::wstring(kTestKey) + (below.empty() ? L"" : L"\\" + below); }

enum class Place { Data, Recent, Temp, Cookies, Cache };
// Goes: listed and removed. Held: listed, but open here, so the Clean cannot remove it.
enum class Fate { Stays, Goes, Held };

struct PlantedFile {
  Place place;
  const wchar_t* name;
  size_t size;
  Fate fate;
};

constexpr PlantedFile kFiles[] = {
    // Windows Log Files: *.log directly in the folder; a log in a subfolder and other names stay.
    {Place::Data, L"Logs\\a.log", 1000, Fate::Goes},
    {Place::Data, L"Logs\\B.LOG", 1500, Fate::Goes},
    {Place::Data, L"Logs\\notes.txt", 10, Fate::Stays},
    {Place::Data, L"Logs\\sub\\deep.log", 10, Fate::Stays},
    // The custom list's folder goes with its subfolder; its neighbours stay.
    {Place::Data, L"Custom\\one.txt", 100, Fate::Goes},
    {Place::Data, L"Custom\\two.dat", 2048, Fate::Goes},
    {Place::Data, L"Custom\\inner\\three.txt", 5000, Fate::Goes},
    {Place::Data, L"Keep\\keep.txt", 10, Fate::Stays},
    {Place::Data, L"keep.txt", 10, Fate::Stays},
    // Recent Documents, "*.*" without descent: a name without a dot matches too; the
    // subfolder stays whole.
    {Place::Recent, L"report.lnk", 100, Fate::Goes},
    {Place::Recent, L"Notes.TXT.lnk", 2000, Fate::Goes},
    {Place::Recent, L"noext", 50, Fate::Goes},
    {Place::Recent, L"NorvikSub\\old.lnk", 10, Fate::Stays},
    // Temporary Files: every file at any depth; subfolders are removed once empty.
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
  std::wstring key;
  const wchar_t* name;
  bool goes;
};

const PlantedValue kValues[] = {
    // The custom list's key (two values, so two items) and value.
    {Key(L"Doomed"), L"a", true},
    {Key(L"Doomed\\Inner"), L"b", true},
    {Key(L""), L"Target", true},
    {Key(L""), L"Keep", false},
    {Key(L"Survivor"), L"c", false},
    // RecentDocs holds 3 values.
    {kRecentDocs, L"MRUListEx", true},
    {kRecentDocs, L"0", true},
    {std::wstring(kRecentDocs) + L"\\.txt", L"0", true},
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

// norvik.exe in a folder of its own with the test's own options.ini, Custom.dat and
// qolt.dat; the planted files and keys are removed before and after.
class CleaningRunTest : public ProgramFolderTest {
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
    for (const wchar_t* key : {kTestKey, kRecentDocs, kNeighbour}) ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    if (!files || recent_.empty()) return;
    for (const std::wstring& folder : {std::wstring(kDataRoot), std::wstring(kTemp), recent_ + L"\\NorvikSub",
                                       cache_ + L"\\Content.IE5"}) {
      RemoveFolderTree(folder);
    }
    for (const PlantedFile& file : kFiles) ::DeleteFileW(PathOf(file).c_str());
    ::DeleteFileW((cookies_ + L"\\index.dat").c_str());
  }

  std::wstring PathOf(const PlantedFile& file) const {
    const std::wstring folders[] = {kDataRoot, recent_, kTemp, cookies_, cache_};
    return folders[static_cast<int>(file.place)] + L"\\" + file.name;
  }
  void Beside(const wchar_t* name, const std::string& text) {
    ASSERT_TRUE(WriteBytes(folder_ + L"\\" + name, text)) << "cannot write " << name;
  }
  void Plant(const std::wstring& relative, size_t size) {
    const std::wstring path = std::wstring(kDataRoot) + L"\\" + relative;
    ASSERT_TRUE(PlantFile(path, std::string(size, 'n'))) << "cannot write " << path;
  }

  // Before the Clean everything is there; after it only what stays.
  void ExpectTraces(bool after_clean) const {
    for (const PlantedFile& file : kFiles) {
      EXPECT_EQ(PathExists(PathOf(file)), file.fate != Fate::Goes || !after_clean) << PathOf(file);
    }
    for (const PlantedValue& value : kValues) {
      EXPECT_EQ(UserValueExists(value.key, value.name), !value.goes || !after_clean) << value.key << " " << value.name;
    }
    for (const std::wstring& key : {Key(L"Doomed"), std::wstring(kRecentDocs)}) EXPECT_EQ(UserKeyExists(key), !after_clean);
    EXPECT_EQ(PathExists(std::wstring(kTemp) + L"\\Sub"), !after_clean) << "the emptied temp subfolder";
    EXPECT_EQ(PathExists(std::wstring(kDataRoot) + L"\\Custom"), !after_clean) << "the emptied custom folder";
    EXPECT_TRUE(PathExists(kTemp) && PathExists(recent_ + L"\\NorvikSub"));
  }

  std::wstring recent_, cookies_, cache_;
  std::vector<std::pair<const wchar_t*, std::wstring>> saved_env_;
};

TEST_F(CleaningRunTest, TestChangesNothingAndCleanRemovesAllButWhatIsInUseOrKept) {
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
  Beside(L"Cookies.ini", "[Cookies to Keep]\r\nCount=1\r\n0=keep.txt\r\n1=b.txt\r\n");
  Beside(L"qolt.dat", "[Windows Log Files]\r\nDelFile1={C: Drive}\\NorvikRunData\\Logs,*.log\r\n");
  Beside(L"Custom.dat",
         "[<New List>]\r\n"
         "DelRegValue1=HKEY_CURRENT_USER\\Software\\NorvikGuiTest\\Doomed\r\n"
         "DelRegValue2=hkey_current_user\\Software\\NorvikGuiTest,Target\r\n"
         "DelFile1={C: Drive}\\NorvikRunData\\Custom\r\n");
  // The confirmation stays on: it is answered below.
  Beside(L"options.ini",
         "[Options]\r\nIsAskBeforeClear=1\r\n[Settings]\r\nFastScan=0\r\n"
         "[NodeSelected]\r\nSelectedCount=9\r\n1=Windows\r\n2=Windows - Windows Log Files\r\n"
         "3=Windows - Recent Documents\r\n4=Windows - Temporary Files\r\n5=Internet Explorer\r\n"
         "6=Internet Explorer - Cookies\r\n7=Internet Explorer - Temporary Internet Files\r\n"
         "8=Custom Lists\r\n9=Custom Lists - <New List>\r\n");

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);
  EXPECT_FALSE(::IsWindowVisible(app.Control(ids::kCleanProgress))) << "the bar shows before any run";
  for (const bool is_clean : {false, true}) {
    const std::wstring prefix = is_clean ? L"Clean: " : L"Test: ", phrase = is_clean ? L"to be removed" : L"will be removed";
    ::PostMessageW(is_clean ? clean : test, BM_CLICK, 0, 0);
    if (is_clean) {
      // Clean asks first; the dialog's check box is saved at once.
      HWND ask = nullptr;
      ASSERT_TRUE(Eventually([&] { return (ask = FindProcessWindow(app.process(), L"Run Cleaner")) != nullptr; }))
          << "no \"Run Cleaner\" dialog";
      ShotIfAsked(app, ask, L"ask_delete.bmp");
      const HWND dont_ask = ChildWithText(ask, L"Don't show me this message again");
      ASSERT_NE(dont_ask, nullptr);
      ::SendMessageW(dont_ask, BM_CLICK, 0, 0);
      ::SendMessageW(ChildWithText(ask, L"&OK"), BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(WaitForFinish(app, prefix));
    const std::vector<std::wstring> lines = ListLines(log);
    const auto has_line = [&](const std::wstring& line) { return std::ranges::find(lines, line) != lines.end(); };
    // The held temp file is listed by the Clean too; the cache page is counted below.
    for (const PlantedFile& file : kFiles) {
      if (file.place == Place::Cache) continue;
      EXPECT_EQ(has_line(prefix + L"deleting " + PathOf(file)), file.fate != Fate::Stays) << PathOf(file);
    }
    const std::wstring hkcu = L"HKEY_CURRENT_USER\\";
    for (const std::wstring& line : {L"deleting registry key " + hkcu + kRecentDocs,
                                     L"deleting registry key " + hkcu + Key(L"Doomed"),
                                     L"deleting registry value " + hkcu + Key(L"Target")}) {
      EXPECT_TRUE(has_line(prefix + line)) << line;
    }
    // Per item: Windows Log Files, the custom list, Recent Documents, Temporary Files (the
    // held file neither counted nor removed by the Clean), Cookies, and the cache page (a
    // Test leaves the index out, a Clean cannot delete it).
    const std::pair<int, int> items[] = {{2, 3}, {6, 7}, {6, 3}, {is_clean ? 4 : 5, is_clean ? 4 : 6}, {2, 2}, {1, 3}};
    for (const auto& [count, kb] : items) {
      const std::wstring line = std::to_wstring(count) + L" items " + phrase + L"; " + std::to_wstring(kb) + L" KB " +
                                phrase + L".";
      EXPECT_TRUE(has_line(line)) << line;
    }
    EXPECT_EQ(has_line(L"Clearing, please wait..."), is_clean);
    ExpectTraces(is_clean);
  }
  EXPECT_EQ(::SendMessageW(app.Control(ids::kCleanProgress), PBM_GETPOS, 0, 0), 1000);
  ShotIfAsked(app, app.window(), L"clean_run.bmp");
  ASSERT_TRUE(app.Close());
  EXPECT_EQ(IniValue(folder_ + L"\\options.ini", L"Options", L"IsAskBeforeClear"), L"0");

  held.reset();
  EXPECT_EQ(ReadBytes(held_path), std::string(2000, 'h')) << "the file in use was changed";
  EXPECT_EQ(ReadBytes(cookies_ + L"\\index.dat"), IndexDat()) << "a cookie is kept, so its index stays";
  std::string overwritten = IndexDat();
  overwritten.replace(0x1020, overwritten.size() - 0x1020, overwritten.size() - 0x1020, '\0');
  EXPECT_EQ(ReadBytes(cache_index), overwritten) << "overwritten in place behind its table headers";
}

// Closing the window while a wipe writes a large file ends the program at once; the
// file stays where it was, whole in size.
TEST_F(CleaningRunTest, ClosingDuringASlowWipeEndsTheProgramPromptlyAndKeepsTheFile) {
  constexpr size_t kSize = 128u << 20;  // ten passes over it take many seconds
  Plant(L"Wipe\\big.bin", kSize);
  Beside(L"Custom.dat", "[<New List>]\r\nDelFile1={C: Drive}\\NorvikRunData\\Wipe,*.bin\r\n");
  Beside(L"options.ini",
         "[Options]\r\nIsAskBeforeClear=0\r\nIsWipeFile=1\r\nWipeNumber=10\r\n[Settings]\r\nFastScan=0\r\n"
         "[NodeSelected]\r\nSelectedCount=2\r\n1=Custom Lists\r\n2=Custom Lists - <New List>\r\n");
  // What closing costs with no run, under this Wine on this machine.
  DWORD plain_close = 0;
  {
    App idle;
    ASSERT_TRUE(idle.Start(exe_));
    const DWORD started = ::GetTickCount();
    ASSERT_TRUE(idle.Close());
    plain_close = ::GetTickCount() - started;
  }
  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog);
  ::PostMessageW(app.Control(ids::kClean), BM_CLICK, 0, 0);
  // The detail line comes just before the file is overwritten.
  const std::wstring big = std::wstring(kDataRoot) + L"\\Wipe\\big.bin";
  ASSERT_TRUE(Eventually([&] {
    const auto lines = ListLines(log);
    return std::find(lines.begin(), lines.end(), L"Clean: deleting " + big) != lines.end();
  }, 30000));
  ::Sleep(300);
  const DWORD started = ::GetTickCount();
  ASSERT_TRUE(app.Close());
  EXPECT_LT(::GetTickCount() - started, plain_close + 1000) << "ms from WM_CLOSE to the end, against "
                                                            << plain_close << " ms with no run";
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(big.c_str(), GetFileExInfoStandard, &data)) << "the file was deleted";
  EXPECT_EQ(data.nFileSizeLow, kSize);
}

// 100,000 detail lines: the window answers within 300 ms all through the run (about 100 ms
// at worst on a busy machine; the margin is for slower ones), and the run ends with every
// line in the log.
TEST_F(CleaningRunTest, WindowStaysResponsiveWhileATestLogs100000Lines) {
  constexpr int kValues = 100000;
  constexpr UINT kAnswerLimitMs = 300;
  std::vector<std::wstring> names;
  names.reserve(kValues);
  for (int i = 0; i < kValues; ++i) {
    // Ascending names: each goes to the end of the key's value list.
    wchar_t name[16];
    swprintf(name, 16, L"v%06d", i);
    names.emplace_back(name);
  }
  ASSERT_TRUE(PlantUserValues(Key(L"Many"), names));
  Beside(L"Custom.dat", "[<New List>]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\NorvikGuiTest\\Many,\r\n");
  Beside(L"options.ini",
         "[Settings]\r\nFastScan=0\r\n[NodeSelected]\r\nSelectedCount=2\r\n1=Custom Lists\r\n"
         "2=Custom Lists - <New List>\r\n");

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), bar = app.Control(ids::kCleanProgress);
  ::SendMessageW(app.Control(ids::kTest), BM_CLICK, 0, 0);

  const ULONGLONG start = ::GetTickCount64();
  ULONGLONG slowest = 0;
  int answers = 0, missed = 0;
  while (ControlText(bar) != L"Finished!" && ::GetTickCount64() - start < kRunTimeoutMs) {
    const ULONGLONG asked = ::GetTickCount64();
    DWORD_PTR ignored = 0;
    if (::SendMessageTimeoutW(app.window(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &ignored)) {
      ++answers;
    } else {
      ++missed;
    }
    slowest = std::max(slowest, ::GetTickCount64() - asked);
    ::Sleep(100);
  }
  const ULONGLONG took = ::GetTickCount64() - start;
  EXPECT_EQ(missed, 0) << "the window did not answer within " << kAnswerLimitMs << " ms " << missed
                       << " times; slowest " << slowest << " ms";
  ASSERT_TRUE(WaitForFinish(app, L"Test: ", 0));
  std::printf("run: %llu ms, %d answers, slowest %llu ms\n", took, answers, slowest);

  // Header, the lines, an empty line, result, empty line, three total lines.
  const LRESULT count = ::SendMessageW(log, LB_GETCOUNT, 0, 0);
  ASSERT_EQ(count, kValues + 7);
  EXPECT_EQ(ListLine(log, 0), L"Test: Clearing Custom Lists - <New List> ...");
  EXPECT_EQ(ListLine(log, kValues), L"Test: deleting registry value HKEY_CURRENT_USER\\Software\\NorvikGuiTest\\Many\\v099999");
  EXPECT_EQ(ListLine(log, kValues + 2), L"100000 items will be removed; 0 KB will be removed.");
  // The end of the log is in view, and the long lines can be scrolled to.
  EXPECT_GT(::SendMessageW(log, LB_GETTOPINDEX, 0, 0), kValues - 100) << "the log is not scrolled to its end";
  RECT client{};
  ::GetClientRect(log, &client);
  EXPECT_GT(::SendMessageW(log, LB_GETHORIZONTALEXTENT, 0, 0), client.right) << "no horizontal extent";
  EXPECT_TRUE(UserKeyExists(Key(L"Many")) && UserValueExists(Key(L"Many"), L"v000000")) << "the test deleted something";
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
