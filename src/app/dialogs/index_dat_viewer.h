#pragma once
// The index.dat viewer ("Index.dat file viewer"): lists the addresses and times of an
// index.dat file in a virtual list, opens a listed address, and overwrites the file with
// its hidden "&Delete" button. The window only draws and forwards the user's input.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/index_dat.h"
#include "platform/platform.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kIndexDatViewerCaption = "Index.dat file viewer";
inline constexpr std::string_view kWrongIndexDatName = "Please enter the correct index.dat file name.";
// Where "&More Index.dat" leads.
inline constexpr std::string_view kIndexDatInfoUrl = "https://norvik-software.example/cleaner/index-dat/";

class IndexDatViewerView {
 public:
  virtual ~IndexDatViewerView() = default;
  virtual std::string FileName() = 0;
  virtual void SetFileName(std::string_view name) = 0;
  // The list's row count; the rows are drawn from the viewer on demand.
  virtual void SetRowCount(std::size_t rows) = 0;
  virtual void SetTotalRecords(std::string_view text) = 0;
  // Hides the separator and shows the progress bar in its place.
  virtual void ShowProgressBar() = 0;
  // Sets the bar and lets the window answer pending input.
  virtual void SetProgress(int percent) = 0;
  virtual void ShowDeleteButton() = 0;
  // OK-only message box captioned "Index.dat file viewer", then the focus in the name.
  virtual void ShowWrongName(std::string_view text) = 0;
};

class IndexDatViewer {
 public:
  IndexDatViewer(IndexDatViewerView& view, platform::Platform platform, bool is_wipe_file, int wipe_number)
      : view_(view), platform_(platform), is_wipe_file_(is_wipe_file), wipe_number_(wipe_number) {}

  // On show: the cache's own index.
  void Open();
  // "&Show": lists the named file when it exists and ends in ".dat" (any case).
  void ShowClick();
  // "&Delete": overwrites the named file; nothing is asked, told or refreshed.
  void DeleteClick();
  // Ctrl+Alt+S.
  void RevealDelete() { view_.ShowDeleteButton(); }
  // "&More Index.dat".
  void MoreInfoClick();
  // A double click on a row opens its address.
  void OpenRow(std::size_t row);

  std::size_t RowCount() const { return listing_.size(); }
  std::string RowAddress(std::size_t row) const;
  // Worked out when the row is drawn: a large file lists hundreds of thousands.
  std::string RowTime(std::size_t row) const;

 private:
  IndexDatViewerView& view_;
  platform::Platform platform_;
  bool is_wipe_file_;
  int wipe_number_;
  formats::IndexDatListing listing_;
};

}  // namespace norvik::app::dialogs
