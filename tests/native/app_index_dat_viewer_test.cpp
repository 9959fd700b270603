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
  void SetRowCount(std::size_t) override {}
  void SetTotalRecords(std::string_view text) override { total = text; }
  void ShowProgressBar() override { bar_shown = true; }
  void SetProgress(int) override {}
  void ShowDeleteButton() override { delete_shown = true; }
  void ShowWrongName(std::string_view text) override { messages.emplace_back(text); }

  std::string name, total;
  std::vector<std::string> messages;
  bool bar_shown = false, delete_shown = false;
};

// The start on the cache's own index and a listing are the GUI suite's
// (ProgramFolderTest.IndexDatViewerListsAGeneratedFile); here a wrong name gets the
// message, a double click and "More info" open their addresses, and "&Delete" (once
// revealed) overwrites the file without refreshing the list.
TEST(IndexDatViewerTest, RefusesWrongNamesAndDeletesTheShownFileWhenAsked) {
  SimMachine machine;
  formats::IndexDatBuilder file(0x3000);
  file.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x200}, {0x20, 0x400}});
  file.Url(0x200, 133'604'246'450'000'000ull, "http://one.example/").Redr(0x400, 0, "http://two.example/");
  machine.WriteFile("C:\\Temp\\index.txt", file.bytes());
  machine.WriteFile("C:\\Temp\\UPPER.DAT", file.bytes());

  FakeViewerView view;
  IndexDatViewer viewer(view, machine.platform(), false, 1);
  viewer.Open();
  for (const char* wrong : {"C:\\Temp\\index.txt", "C:\\Temp\\missing.dat", "C:\\Temp"}) {
    view.name = wrong;
    viewer.ShowClick();
  }
  EXPECT_EQ(view.messages, std::vector<std::string>(3, std::string(kWrongIndexDatName)));
  EXPECT_FALSE(view.bar_shown);

  view.name = "C:\\Temp\\UPPER.DAT";
  viewer.ShowClick();
  EXPECT_EQ(view.total, "2");
  viewer.OpenRow(1);
  viewer.MoreInfoClick();
  EXPECT_EQ(machine.shell().OpenedTargets(), (std::vector<std::string>{"http://two.example/", std::string(kIndexDatInfoUrl)}));

  viewer.RevealDelete();
  EXPECT_TRUE(view.delete_shown);
  viewer.DeleteClick();
  EXPECT_TRUE(formats::ListIndexDat(machine.platform().files, "C:\\Temp\\UPPER.DAT").empty());
  EXPECT_EQ(viewer.RowCount(), 2u) << "the list is not refreshed";
  viewer.ShowClick();
  EXPECT_EQ(view.total, "0");
}

}  // namespace
}  // namespace norvik::app::dialogs
