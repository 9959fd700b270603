// One Chrome and one Firefox profile in Wine's drive_c, cleaned through norvik.exe: real
// SQLite databases, one of them locked by this process as a running browser would. (That
// a Test changes no byte is proven natively with the same engine.) The browser guard
// refuses a Clean while a Chrome window is open;
// the Clean empties the listed tables, keeps bookmarked places, deletes whole files with
// the files SQLite keeps beside them, and leaves the locked database exactly as it was.
// (Which tables go is proven natively; here the real engine, files and locks.)

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "data/browser_databases.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

std::string Utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return ::DefWindowProcW(window, message, w, l);
}

class BrowserCleanersTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    wchar_t roaming[MAX_PATH]{};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming)));
    const std::wstring local = RegText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                       L"Local AppData");
    ASSERT_NE(local, L"<missing>") << "Explorer records no Local AppData folder";
    google_ = local + L"\\Google";
    mozilla_ = std::wstring(roaming) + L"\\Mozilla";
    chrome_ = google_ + L"\\Chrome\\User Data\\Default\\";
    firefox_ = mozilla_ + L"\\Firefox\\Profiles\\n0rv1k.default\\";
    RemoveFolderTree(google_);
    RemoveFolderTree(mozilla_);
  }
  void TearDown() override {
    if (!HasFailure()) {
      RemoveFolderTree(google_);
      RemoveFolderTree(mozilla_);
    }
    ProgramFolderTest::TearDown();
  }

  void MakeDatabase(const std::wstring& path, std::initializer_list<const char*> scripts) {
    ASSERT_TRUE(PlantFile(path, "")) << path;  // the folders; SQLite takes an empty file as a new database
    for (const char* sql : scripts) ASSERT_EQ(testdata::RunSql(Utf8(path), sql), "") << path;
  }
  std::string Rows(const std::wstring& path) { return testdata::RowCounts(Utf8(path)); }

  std::wstring google_, mozilla_, chrome_, firefox_;
};

TEST_F(BrowserCleanersTest, CleanRefusedWhileChromeIsOpenThenEmptiesTablesAndLeavesALockedDatabaseWhole) {
  const std::wstring places = firefox_ + L"places.sqlite", history = chrome_ + L"History",
                     web_data = chrome_ + L"Web Data";
  MakeDatabase(places, {testdata::kPlacesSchema, testdata::kPlacesRows});
  MakeDatabase(history, {testdata::kChromeMeta, testdata::kChromeHistory});
  MakeDatabase(web_data, {testdata::kChromeMeta, testdata::kChromeWebData});
  // Whole files that go, each with what SQLite keeps beside it.
  const std::wstring doomed[] = {chrome_ + L"Cookies", chrome_ + L"Cookies-journal", firefox_ + L"cookies.sqlite",
                                 firefox_ + L"cookies.sqlite-wal", firefox_ + L"cookies.sqlite-shm",
                                 firefox_ + L"history.dat"};
  for (const std::wstring& file : doomed) ASSERT_TRUE(PlantFile(file, std::string(100, 'x'))) << file;
  std::map<std::wstring, std::string> before;
  for (const std::wstring& file : {places, history, web_data}) before[file] = ReadBytes(file);
  for (const std::wstring& file : doomed) before[file] = ReadBytes(file);

  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini",
                         "[Options]\r\nIsAskBeforeClear=0\r\n[Settings]\r\nFastScan=0\r\n"
                         "[NodeSelected]\r\nSelectedCount=9\r\n1=Google Chrome\r\n2=Google Chrome - Cookies\r\n"
                         "3=Google Chrome - Stored passwords in Forms\r\n4=Google Chrome - Saved Form Information\r\n"
                         "5=Google Chrome - Download History\r\n6=Mozilla Firefox\r\n7=Mozilla Firefox - Cookies\r\n"
                         "8=Mozilla Firefox - Visited URL History\r\n9=Mozilla Firefox - Download Manager\r\n"));
  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);
  const auto has_line = [&](const std::wstring& line) {
    const std::vector<std::wstring> lines = ListLines(log);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };

  // An open Chrome window stops a Clean before anything is touched.
  const WNDCLASSW chrome_class{0, PlainWindowProc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr,
                               nullptr, L"Chrome_WidgetWin_1"};
  ASSERT_NE(::RegisterClassW(&chrome_class), 0);
  HWND chrome_window = ::CreateWindowW(L"Chrome_WidgetWin_1", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(chrome_window, nullptr);
  ::PostMessageW(clean, BM_CLICK, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(Eventually([&] { return (box = FindProcessWindow(app.process(), L"Norvik Cleaner")) != nullptr; }));
  EXPECT_NE(ChildWithText(box, L"Please close Google Chrome first!"), nullptr);
  ::SendMessageW(ChildWithText(box, L"OK"), BM_CLICK, 0, 0);
  ::DestroyWindow(chrome_window);
  ::UnregisterClassW(L"Chrome_WidgetWin_1", ::GetModuleHandleW(nullptr));
  app.Settle();
  EXPECT_EQ(ControlText(test), L"Test") << "no run started";
  for (const auto& [file, bytes] : before) EXPECT_EQ(ReadBytes(file), bytes) << "refused Clean: " << file;

  // Web Data held by a writer, as a running Chrome holds it.
  testdata::Connection browser = testdata::Connect(Utf8(web_data));
  ASSERT_EQ(testdata::RunSql(browser.get(), "BEGIN IMMEDIATE; DELETE FROM keywords;"), "");
  const std::string held = ReadBytes(web_data), held_journal = ReadBytes(web_data + L"-journal");
  ASSERT_NE(held_journal, "<unreadable>");
  ::PostMessageW(clean, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForFinish(app, L"Clean: "));
  EXPECT_TRUE(has_line(L"Error [5]: The database file is locked."));
  for (const wchar_t* table : {L"logins", L"autofill"}) {
    EXPECT_TRUE(has_line(std::wstring(L"\"DELETE FROM ") + table + L"\": database is locked")) << table;
  }
  EXPECT_EQ(ReadBytes(web_data), held);
  EXPECT_EQ(ReadBytes(web_data + L"-journal"), held_journal);
  for (const std::wstring& file : doomed) {
    EXPECT_TRUE(has_line(L"Clean: deleting " + file)) << file;
    EXPECT_FALSE(PathExists(file)) << file;
  }
  EXPECT_EQ(Rows(history), "downloads=0 meta=2 urls=2");
  EXPECT_EQ(Rows(places), "moz_bookmarks=3 moz_historyvisits=0 moz_places=1");

  ASSERT_EQ(testdata::RunSql(browser.get(), "ROLLBACK"), "");
  ShotIfAsked(app, app.window(), L"browser_cleaners.bmp");
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
