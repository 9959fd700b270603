// The registry analysis through norvik.exe against Wine's registry. Wine keeps its
// registry in text files and lists no hives, so the test plants the hive list itself:
// the SOFTWARE hive and the user's hive named by device paths of files it puts in
// drive_c. The copies are Wine's real RegSaveKey of those live keys; the planted files
// stand in for the hive files they are measured against. Wine's RegReplaceKey is a
// stub and a restart is out of the question here, so the compaction is left to the
// native tests.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/pages/page.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kHiveList[] = L"SYSTEM\\CurrentControlSet\\Control\\hivelist";
constexpr wchar_t kHiveFolder[] = L"C:\\NorvikHives";
constexpr wchar_t kSoftwareHive[] = L"\\REGISTRY\\MACHINE\\SOFTWARE";
constexpr DWORD kTimeoutMs = 180000;

// The first user hive Wine has loaded ("S-1-5-21-..."), where the current user lives.
std::wstring UserSid() {
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = 256;
    if (::RegEnumKeyExW(HKEY_USERS, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
    if (std::wstring_view(name).starts_with(L"S-1-5-21-") && !std::wstring_view(name).ends_with(L"_Classes")) {
      return name;
    }
  }
}

class RegistryDefragTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    user_hive_ = L"\\REGISTRY\\USER\\" + UserSid();
    ASSERT_NE(user_hive_, L"\\REGISTRY\\USER\\") << "Wine has no user hive";
    wchar_t device[128] = {};
    ASSERT_TRUE(::QueryDosDeviceW(L"C:", device, 128));
    ASSERT_EQ(std::wstring(device), L"\\Device\\HarddiskVolume1") << "what Wine calls drive C:";
    // Hive files as large as the live keys would be with some slack in them, so that
    // the copies show a reduction and pass the size check.
    ASSERT_TRUE(PlantFile(std::wstring(kHiveFolder) + L"\\SOFTWARE", std::string(4 << 20, 'h')));
    ASSERT_TRUE(PlantFile(std::wstring(kHiveFolder) + L"\\NTUSER.DAT", std::string(1 << 20, 'u')));
    const std::wstring files = device + std::wstring(L"\\NorvikHives\\");
    ASSERT_TRUE(PlantStrings(kHiveList,
                             {{kSoftwareHive, files + L"SOFTWARE"}, {user_hive_, files + L"NTUSER.DAT"},
                              {L"\\REGISTRY\\MACHINE\\NOWHERE", files + L"MISSING"}},
                             HKEY_LOCAL_MACHINE));
  }
  void TearDown() override {
    HKEY key = nullptr;
    // Wine's own list is empty: everything in it is ours.
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHiveList, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      ::RegDeleteTreeW(key, nullptr);
      ::RegCloseKey(key);
    }
    RemoveFolderTree(kHiveFolder);
    ProgramFolderTest::TearDown();
  }
  // Both copies are gone: the program deletes them when it exits.
  void ExpectNoCopies() {
    EXPECT_FALSE(PathExists(std::wstring(kHiveFolder) + L"\\SOFTWARE.fdc"));
    EXPECT_FALSE(PathExists(std::wstring(kHiveFolder) + L"\\NTUSER.DAT.fdc"));
  }
  std::wstring user_hive_;
};

// How many controls each of the program's tip windows covers.
std::vector<LRESULT> TipCounts(const App& app) {
  struct Search {
    DWORD pid;
    std::vector<LRESULT> counts;
  } search{::GetProcessId(app.process()), {}};
  ::EnumWindows([](HWND window, LPARAM param) -> BOOL {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    wchar_t name[64] = {};
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == s->pid && ::GetClassNameW(window, name, 64) && std::wstring(name) == TOOLTIPS_CLASSW) {
      s->counts.push_back(::SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.counts;
}

std::int64_t KB(const std::wstring& text) {
  std::wstring digits;
  for (wchar_t c : text) if (c >= L'0' && c <= L'9') digits += c;
  return digits.empty() ? -1 : std::stoll(digits);
}

// The figures' arithmetic is proven natively; here the real sizes, copies and wiring.
TEST_F(RegistryDefragTest, ReportRunAndAnalysisMeasureEachPlantedHive) {
  const std::wstring report = folder_ + L"\\report.ini";
  ASSERT_TRUE(WriteBytes(report, "[Scan Result]\r\nOld=1\r\n"));
  ASSERT_EQ(RunToItsEnd(L"\"" + exe_ + L"\" /Regscan report.ini", folder_, kTimeoutMs), 0u)
      << "the run did not end by itself";
  const auto value = [&](const wchar_t* key) { return IniValue(report, L"Scan Result", key); };
  EXPECT_EQ(value(L"Old"), L"<missing>") << "the section is written afresh";
  // The planted files: 4,096 KB and 1,024 KB.
  EXPECT_EQ(value(L"Current Size"), L"5,120 KB");
  const std::int64_t fresh = KB(value(L"New Size"));
  EXPECT_GT(fresh, 1024 + 1) << "the SOFTWARE copy passed the size check: " << value(L"New Size");
  EXPECT_LT(fresh, 5120);
  EXPECT_TRUE(value(L"Compact Percent").ends_with(L"%")) << value(L"Compact Percent");
  EXPECT_GE(value(L"Time").size(), 8u) << "a date and a time: " << value(L"Time");
  ExpectNoCopies();

  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagDefrag)), BM_CLICK, 0, 0);
  const RemoteListView list(app.Control(ids::kHiveList), app.process());
  ASSERT_EQ(list.Count(), 2) << "the entry without a file is left out";
  EXPECT_EQ(list.Text(0, 0), kSoftwareHive);
  EXPECT_EQ(list.Text(1, 0), user_hive_);
  EXPECT_FALSE(::IsWindowEnabled(app.Control(ids::kDefragRegistry)));
  const auto tips = TipCounts(app);
  EXPECT_EQ(std::count(tips.begin(), tips.end(), 2), 1) << "the page's two buttons carry their hints";
  // Posted: the progress dialog holds the handler until it closes.
  ::PostMessageW(app.Control(ids::kAnalyzeRegistry), BM_CLICK, 0, 0);
  // The copies take a moment only: the progress dialog is gone before it could be caught.
  ASSERT_TRUE(Eventually([&] { return !list.Text(1, 3).empty(); }, kTimeoutMs));
  EXPECT_TRUE(::IsWindowEnabled(app.Control(ids::kDefragRegistry))) << "only a finished analysis enables it";
  EXPECT_EQ(list.Text(0, 1), L"4,096 KB");
  EXPECT_EQ(list.Text(1, 1), L"1,024 KB");
  EXPECT_GT(KB(list.Text(0, 2)), 1024) << "the SOFTWARE copy passed the size check";
  EXPECT_GT(KB(list.Text(1, 2)), 0) << "the user's hive was saved too";
  EXPECT_EQ(ControlText(app.Control(ids::kCurrentRegistrySize)), L"5,120 KB");
  ShotIfAsked(app, app.window(), L"defrag_analysis.bmp");
  EXPECT_TRUE(app.Close());
  ExpectNoCopies();
}

}  // namespace
}  // namespace norvik::gui
