// A cleaning run as the user meets it: items ticked in options.ini, Test, then Clean
// with its confirmation, against files and registry keys the test plants under C:\ and
// HKCU. The log is read back from the list box, the bar's caption from the bar.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kDataRoot[] = L"C:\\NorvikRunData";
constexpr wchar_t kTestKey[] = L"Software\\NorvikGuiTest";
constexpr DWORD kRunTimeoutMs = 120000;

std::wstring Key(const std::wstring& below) { return std::wstring(kTestKey) + (below.empty() ? L"" : L"\\" + below); }

// The log of the run in the test below (compared with each block of file lines sorted).
std::vector<std::wstring> ExpectedLog(const std::wstring& prefix, const std::wstring& removed) {
  const std::wstring separator(107, L'-'), file = prefix + L"deleting C:\\NorvikRunData\\",
                     registry = L" HKEY_CURRENT_USER\\Software\\NorvikGuiTest\\";
  // Doomed holds two values, so two items; 100 + 2048 + 5000 bytes make 7 KB, 9648 in all 10 KB.
  return {prefix + L"Clearing Windows - Windows Log Files ...",
          file + L"Logs\\B.LOG", file + L"Logs\\a.log",
          L"", L"2 items " + removed + L"; 3 KB " + removed + L".", L"", separator,
          prefix + L"Clearing Custom Lists - <New List> ...",
          prefix + L"deleting registry key" + registry + L"Doomed",
          prefix + L"deleting registry value" + registry + L"Target",
          file + L"Custom\\inner\\three.txt", file + L"Custom\\one.txt", file + L"Custom\\two.dat",
          L"", L"6 items " + removed + L"; 7 KB " + removed + L".", L"", separator,
          L"Total items " + removed + L" = 8 ; Total files " + removed + L" = 10 KB", separator};
}

// norvik.exe in a folder of its own with the test's own options.ini, Custom.dat and
// qolt.dat; the planted files and keys are removed before and after.
class CleaningRunTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    RemoveFolderTree(kDataRoot);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    ProgramFolderTest::SetUp();
  }
  // A failed test keeps its files to look at; the registry is shared, so it is cleaned always.
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    if (!HasFailure()) RemoveFolderTree(kDataRoot);
    ProgramFolderTest::TearDown();
  }

  void Beside(const wchar_t* name, const std::string& text) {
    ASSERT_TRUE(WriteBytes(folder_ + L"\\" + name, text)) << "cannot write " << name;
  }
  void Plant(const std::wstring& relative, size_t size) {
    const std::wstring path = std::wstring(kDataRoot) + L"\\" + relative;
    ASSERT_TRUE(PlantFile(path, std::string(size, 'n'))) << "cannot write " << path;
  }
  std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
    return IniValue(folder_ + L"\\options.ini", section, key);
  }
};

// Windows Log Files (qolt.dat, a mask) and the custom list (Custom.dat: a key, a value,
// a folder) with detail lines. The Test names exactly what the Clean then removes.
TEST_F(CleaningRunTest, TestChangesNothingAndCleanRemovesExactlyWhatTheTestListed) {
  const struct {
    const wchar_t* path;
    size_t size;
    bool stays;
  } files[] = {// Logs: *.log directly in the folder; a log in a subfolder and other names stay.
               {L"Logs\\a.log", 1000, false},
               {L"Logs\\B.LOG", 1500, false},
               {L"Logs\\notes.txt", 10, true},
               {L"Logs\\sub\\deep.log", 10, true},
               // Custom: the folder goes with its subfolder; its neighbours stay.
               {L"Custom\\one.txt", 100, false},
               {L"Custom\\two.dat", 2048, false},
               {L"Custom\\inner\\three.txt", 5000, false},
               {L"Keep\\keep.txt", 10, true},
               {L"keep.txt", 10, true}};
  const struct {
    const wchar_t* key;
    const wchar_t* value;
    bool stays;
  } values[] = {{L"Doomed", L"a", false}, {L"Doomed\\Inner", L"b", false}, {L"", L"Target", false},
                {L"", L"Keep", true},     {L"Survivor", L"c", true}};
  for (const auto& file : files) Plant(file.path, file.size);
  for (const auto& value : values) ASSERT_TRUE(PlantUserValues(Key(value.key), {value.value}));

  Beside(L"qolt.dat", "[Windows Log Files]\r\nDelFile1={C: Drive}\\NorvikRunData\\Logs,*.log\r\n");
  Beside(L"Custom.dat",
         "[<New List>]\r\n"
         "DelRegValue1=HKEY_CURRENT_USER\\Software\\NorvikGuiTest\\Doomed\r\n"
         "DelRegValue2=hkey_current_user\\Software\\NorvikGuiTest,Target\r\n"
         "DelFile1={C: Drive}\\NorvikRunData\\Custom\r\n");
  // The confirmation stays on: it is answered below.
  Beside(L"options.ini",
         "[Options]\r\nIsAskBeforeClear=1\r\n[Settings]\r\nFastScan=0\r\n"
         "[NodeSelected]\r\nSelectedCount=4\r\n1=Windows\r\n2=Windows - Windows Log Files\r\n"
         "3=Custom Lists\r\n4=Custom Lists - <New List>\r\n");

  App app;
  ASSERT_TRUE(app.Start(exe_));
  const HWND log = app.Control(ids::kLog), test = app.Control(ids::kTest), clean = app.Control(ids::kClean);
  ASSERT_TRUE(log && test && clean);
  EXPECT_FALSE(::IsWindowVisible(app.Control(ids::kCleanProgress))) << "the bar shows before any run";

  // After the test everything is there; after the clean only what stays.
  const auto expect_on_disk = [&](bool after_clean) {
    for (const auto& file : files) {
      EXPECT_EQ(PathExists(std::wstring(kDataRoot) + L"\\" + file.path), file.stays || !after_clean) << file.path;
    }
    for (const auto& value : values) {
      EXPECT_EQ(UserValueExists(Key(value.key), value.value), value.stays || !after_clean)
          << value.key << " " << value.value;
    }
  };

  ::SendMessageW(test, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForFinish(app, L"Test: "));
  EXPECT_EQ(SortFileLines(ListLines(log)), SortFileLines(ExpectedLog(L"Test: ", L"will be removed")));
  expect_on_disk(false);

  // Clean asks first; the dialog's check box is saved at once.
  ::PostMessageW(clean, BM_CLICK, 0, 0);
  HWND ask = nullptr;
  ASSERT_TRUE(Eventually([&] { return (ask = FindProcessWindow(app.process(), L"Run Cleaner")) != nullptr; }))
      << "no \"Run Cleaner\" dialog";
  ShotIfAsked(app, ask, L"ask_delete.bmp");
  const HWND dont_ask = ChildWithText(ask, L"Don't show me this message again");
  ASSERT_NE(dont_ask, nullptr);
  ::SendMessageW(dont_ask, BM_CLICK, 0, 0);
  ::SendMessageW(ChildWithText(ask, L"&OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForFinish(app, L"Clean: "));

  EXPECT_EQ(SortFileLines(ListLines(log)), SortFileLines(ExpectedLog(L"Clean: ", L"to be removed")));
  EXPECT_EQ(::SendMessageW(app.Control(ids::kCleanProgress), PBM_GETPOS, 0, 0), 1000);

  expect_on_disk(true);
  EXPECT_FALSE(PathExists(std::wstring(kDataRoot) + L"\\Custom")) << "the emptied folder stays";
  EXPECT_FALSE(UserKeyExists(Key(L"Doomed")));

  ShotIfAsked(app, app.window(), L"clean_run.bmp");
  ASSERT_TRUE(app.Close());
  EXPECT_EQ(Ini(L"Options", L"IsAskBeforeClear"), L"0");
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
