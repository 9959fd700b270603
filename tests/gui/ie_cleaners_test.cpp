// The Cookies and Temporary Internet Files items run through norvik.exe against Wine's
// own cookie and cache folders. A cookie on the keep list stays, and so does the cookie
// index while anything is kept; the cache index, held open by this process, cannot be
// deleted, is not counted, and is overwritten in place behind its table headers.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/index_dat_builder.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH]{};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// An index with one table at 0x1000 pointing to one address.
std::string IndexDat() {
  formats::IndexDatBuilder file(0x3000, 'r');
  file.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x200}}).Url(0x200, 1, "http://listed.example/");
  return file.bytes();
}

bool HasLine(const std::vector<std::wstring>& log, const std::wstring& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

class IeCleanersTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    cookies_ = ShellFolder(CSIDL_COOKIES);
    cache_ = ShellFolder(CSIDL_INTERNET_CACHE);
    ASSERT_FALSE(cookies_.empty() || cache_.empty()) << "the shell names no cookie or cache folder";
    Remove();
  }
  void TearDown() override {
    if (!HasFailure()) Remove();
    ProgramFolderTest::TearDown();
  }
  void Remove() {
    for (const wchar_t* name : {L"\\keep.txt", L"\\b.txt", L"\\c.txt", L"\\notes.dat", L"\\index.dat"}) {
      ::DeleteFileW((cookies_ + name).c_str());
    }
    RemoveFolderTree(cache_ + L"\\Content.IE5");
  }

  std::wstring cookies_, cache_;
};

TEST_F(IeCleanersTest, CookiesKeepTheListAndTheCacheIndexIsOverwrittenInPlace) {
  const std::wstring cache_index = cache_ + L"\\Content.IE5\\index.dat", page = cache_ + L"\\Content.IE5\\AB12\\page.htm";
  for (const auto& [path, bytes] : std::vector<std::pair<std::wstring, std::string>>{
           {cookies_ + L"\\keep.txt", "k"}, {cookies_ + L"\\b.txt", std::string(100, 'b')},
           {cookies_ + L"\\c.txt", std::string(1500, 'c')}, {cookies_ + L"\\notes.dat", "n"},
           {cookies_ + L"\\index.dat", IndexDat()}, {cache_index, IndexDat()}, {page, std::string(3000, 'p')}}) {
    ASSERT_TRUE(PlantFile(path, bytes)) << path;
  }
  // Held as the browser holds it: readable and writable by others, not deletable.
  std::unique_ptr<void, decltype(&::CloseHandle)> held(
      ::CreateFileW(cache_index.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                    nullptr),
      &::CloseHandle);
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  // Count 1: the stale key "1" left by a longer list keeps nothing.
  ASSERT_TRUE(WriteBytes(folder_ + L"\\Cookies.ini", "[Cookies to Keep]\r\nCount=1\r\n0=keep.txt\r\n1=b.txt\r\n"));
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini",
                         "[Options]\r\nIsAskBeforeClear=0\r\n[Settings]\r\nFastScan=0\r\n"
                         "[NodeSelected]\r\nSelectedCount=3\r\n1=Internet Explorer\r\n2=Internet Explorer - Cookies\r\n"
                         "3=Internet Explorer - Temporary Internet Files\r\n"));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);
  for (const std::wstring prefix : {L"Test: ", L"Clean: "}) {
    const bool is_clean = prefix == L"Clean: ";
    ::PostMessageW(is_clean ? clean : test, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForFinish(app, prefix));
    const std::vector<std::wstring> lines = ListLines(log);
    const std::wstring phrase = is_clean ? L"to be removed" : L"will be removed";
    for (const wchar_t* name : {L"\\b.txt", L"\\c.txt"}) {
      EXPECT_TRUE(HasLine(lines, prefix + L"deleting " + cookies_ + name)) << name;
    }
    EXPECT_TRUE(HasLine(lines, L"2 items " + phrase + L"; 2 KB " + phrase + L"."));
    // The page only: a Test leaves the index out, a Clean cannot delete it.
    EXPECT_TRUE(HasLine(lines, L"1 items " + phrase + L"; 3 KB " + phrase + L"."));
    EXPECT_EQ(HasLine(lines, L"Clearing, please wait..."), is_clean);
    EXPECT_EQ(PathExists(cookies_ + L"\\b.txt"), !is_clean);
    EXPECT_EQ(PathExists(page), !is_clean);
  }
  ShotIfAsked(app, app.window(), L"ie_cleaners.bmp");
  EXPECT_TRUE(app.Close());

  EXPECT_TRUE(PathExists(cookies_ + L"\\keep.txt") && PathExists(cookies_ + L"\\notes.dat"));
  EXPECT_EQ(ReadBytes(cookies_ + L"\\index.dat"), IndexDat()) << "a cookie is kept, so its index stays";
  std::string overwritten = IndexDat();
  overwritten.replace(0x1020, overwritten.size() - 0x1020, overwritten.size() - 0x1020, '\0');
  EXPECT_EQ(ReadBytes(cache_index), overwritten);
}

}  // namespace
}  // namespace norvik::gui
