#include "app/dialogs/index_dat_viewer.h"

#include <utility>

#include "cleaning/deletion_primitives.h"
#include "platform/text_encoding.h"

namespace norvik::app::dialogs {
namespace {

bool IsFile(platform::Files& files, const std::string& path) {
  auto attributes = files.GetAttributes(path);
  return attributes && (*attributes & platform::file_attr::kDirectory) == 0;
}

// The part from the last dot of the last name on, "" when there is none.
std::string Extension(std::string_view path) {
  const std::size_t name = path.find_last_of("\\/:");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return {};
  return std::string(path.substr(dot));
}

}  // namespace

void IndexDatViewer::Open() {
  view_.SetFileName(cleaning::InternetCacheFolder(platform_) + "\\Content.IE5\\index.dat");
  view_.SetTotalRecords("0");
}

void IndexDatViewer::ShowClick() {
  const std::string name = view_.FileName();
  if (!IsFile(platform_.files, name) || platform::UpperCase(Extension(name)) != ".DAT") {
    view_.ShowWrongName(kWrongIndexDatName);
    return;
  }
  // The last listing's memory takes the new one: listing again costs no fresh memory.
  formats::IndexDatListing previous = std::move(listing_);
  listing_ = {};
  view_.SetRowCount(0);
  view_.ShowProgressBar();
  view_.SetProgress(0);
  listing_ = formats::ListIndexDat(
      platform_.files, name, [this](int percent) { view_.SetProgress(percent); }, std::move(previous));
  view_.SetRowCount(listing_.size());
  view_.SetTotalRecords(std::to_string(listing_.size()));
}

void IndexDatViewer::DeleteClick() {
  const std::string name = view_.FileName();
  if (IsFile(platform_.files, name)) formats::OverwriteIndexDat(platform_.files, name, is_wipe_file_, wipe_number_);
}

void IndexDatViewer::MoreInfoClick() { (void)platform_.shell.Open(kIndexDatInfoUrl); }

void IndexDatViewer::OpenRow(std::size_t row) {
  if (row < listing_.size()) (void)platform_.shell.Open(listing_.address(row));
}

std::string IndexDatViewer::RowAddress(std::size_t row) const {
  return row < listing_.size() ? std::string(listing_.address(row)) : std::string();
}

std::string IndexDatViewer::RowTime(std::size_t row) const {
  return row < listing_.size() ? formats::IndexDatTimeText(platform_.system, listing_.time(row)) : std::string();
}

}  // namespace norvik::app::dialogs
