#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dialogs/index_dat_viewer.h"
#include "fakes/index_dat_builder.h"
#include "formats/index_dat.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_shell.h"

namespace norvik::app::dialogs {
namespace {

using platform::sim::SimMachine;

class FakeViewerView final : public IndexDatViewerView {
 public:
  std::string FileName() override { return name; }
  void SetFileName(std::string_view text) override { name = text; }
  void SetRowCount(std::size_t n) override { rows.push_back(n); }
  void SetTotalRecords(std::string_view text) override { total = text; }
  void ShowProgressBar() override { bar_shown = true; }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void ShowDeleteButton() override { delete_shown = true; }
  void ShowWrongName(std::string_view text) override { messages.emplace_back(text); }

  std::string name, total;
  std::vector<std::size_t> rows;
  std::vector<int> progress;
  std::vector<std::string> messages;
  bool bar_shown = false, delete_shown = false;
};

constexpr char kCacheIndex[] = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.IE5\\index.dat";

// A user's visit: the cache index is named at the start; a wrong name gets the message;
// "&Show" lists the rows, "&Delete" (once revealed) overwrites the file, a double click
// opens the row's address; "&Show" again lists the overwritten file.
TEST(IndexDatViewerTest, ShowsTheNamedFileAndDeletesItWhenAsked) {
  SimMachine machine;
  formats::IndexDatBuilder file(0x3000);
  file.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x200}, {0x20, 0x400}});
  file.Url(0x200, 133'604'246'450'000'000ull, "http://one.example/").Redr(0x400, 0, "http://two.example/");
  machine.WriteFile(kCacheIndex, file.bytes());
  machine.WriteFile("C:\\Temp\\index.txt", file.bytes());
  machine.WriteFile("C:\\Temp\\UPPER.DAT", file.bytes());

  FakeViewerView view;
  IndexDatViewer viewer(view, machine.platform(), false, 1);
  viewer.Open();
  EXPECT_EQ(view.name, kCacheIndex);
  EXPECT_EQ(view.total, "0");

  for (const char* wrong : {"C:\\Temp\\index.txt", "C:\\Temp\\missing.dat", "C:\\Temp"}) {
    view.name = wrong;
    viewer.ShowClick();
  }
  EXPECT_EQ(view.messages, std::vector<std::string>(3, std::string(kWrongIndexDatName)));
  EXPECT_FALSE(view.bar_shown);

  view.name = "C:\\Temp\\UPPER.DAT";
  viewer.ShowClick();
  EXPECT_TRUE(view.bar_shown);
  EXPECT_EQ(view.rows, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(view.total, "2");
  EXPECT_EQ(view.progress.front(), 0);
  EXPECT_EQ(view.progress.back(), 100);
  EXPECT_EQ(viewer.RowAddress(1), "http://two.example/");
  EXPECT_EQ(viewer.RowTime(0), "2024-05-17 13:04:05");
  viewer.OpenRow(1);
  viewer.MoreInfoClick();
  EXPECT_EQ(machine.shell().OpenedTargets(), (std::vector<std::string>{"http://two.example/", std::string(kIndexDatInfoUrl)}));

  viewer.RevealDelete();
  EXPECT_TRUE(view.delete_shown);
  viewer.DeleteClick();
  EXPECT_TRUE(formats::ListIndexDat(machine.platform().files, "C:\\Temp\\UPPER.DAT").empty());
  EXPECT_EQ(viewer.RowCount(), 2u) << "the list is not refreshed";
  viewer.ShowClick();
  EXPECT_EQ(view.rows, (std::vector<std::size_t>{0, 2, 0, 0}));
  EXPECT_EQ(view.total, "0");
}

}  // namespace
}  // namespace norvik::app::dialogs
