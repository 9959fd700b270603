#include "cleaning/clear_task.h"

#include <exception>
#include <utility>

#include "cleaning/clean_item_tree.h"
#include "cleaning/list_cleaner.h"
#include "core/utility_routines.h"

namespace norvik::cleaning {

std::string SeparatorLine() { return std::string(kSeparatorLength, '-'); }

std::string ItemResultLine(std::uint32_t count, std::string_view size_text, std::string_view removal_phrase) {
  std::string line = std::to_string(count) + " items ";
  line += removal_phrase;
  line += "; ";
  line += size_text;
  line += " KB ";
  line += removal_phrase;
  line += ".";
  return line;
}

std::string TotalLine(bool test, std::uint32_t total_count, std::int64_t total_size) {
  const std::string_view phrase = test ? kTestRemovalPhrase : kCleanRemovalPhrase;
  std::string line = "Total items ";
  line += phrase;
  line += " = " + std::to_string(total_count) + " ; Total files ";
  line += phrase;
  line += " = " + core::FormatKB(total_size) + " KB";
  return line;
}

void CleanerTable::Register(std::string run_name, Cleaner cleaner) {
  cleaners_[std::move(run_name)] = std::move(cleaner);
}

const Cleaner* CleanerTable::Find(std::string_view run_name) const {
  const auto it = cleaners_.find(run_name);
  return it == cleaners_.end() ? nullptr : &it->second;
}

TClearTaskThread::TClearTaskThread(platform::Platform platform, RunReporter& reporter,
                                   const CleanerTable& cleaners, RunSetup setup, std::stop_token stop)
    : platform_(platform), reporter_(reporter), cleaners_(cleaners), setup_(std::move(setup)), stop_(std::move(stop)) {}

void TClearTaskThread::Execute() {
  const bool test = setup_.run_kind == RunKind::Test;
  const std::string_view prefix = test ? kTestPrefix : kCleanPrefix;
  const std::vector<std::string>& names = setup_.item_names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (stop_.stop_requested()) return;
    if (i > 0) reporter_.AppendLine(SeparatorLine());
    reporter_.AppendLine(std::string(prefix) + "Clearing " + names[i] + " ...");
    RunContext item(platform_, reporter_, setup_, stop_, total_count_);
    // A cleaner that fails must not take the run down with it: the item ends with what
    // it counted so far and the next one starts.
    try {
      RunItem(item, names[i]);
    } catch (const std::exception& e) {
      AppendErrorLines(e.what());
    } catch (...) {
      reporter_.AppendLine("Error: unknown error");
    }
    FinishItem(item);
  }
  if (stop_.stop_requested()) return;
  reporter_.AppendLine(SeparatorLine());
  reporter_.AppendLine(TotalLine(test, total_count_, total_size_));
  reporter_.AppendLine(SeparatorLine());
  reporter_.Done(total_count_);
}

void TClearTaskThread::AppendErrorLines(std::string_view message) {
  // A database error comes as several lines separated by carriage returns.
  std::string_view rest = message;
  std::string_view prefix = "Error: ";
  for (;;) {
    const std::size_t end = rest.find('\r');
    reporter_.AppendLine(std::string(prefix) + std::string(rest.substr(0, end)));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
    prefix = "";
  }
}

void TClearTaskThread::RunItem(RunContext& item, const std::string& run_name) {
  switch (SourceOfItem(run_name)) {
    case ItemSource::CustomList:
      RunListItem(item, kCustomListFile, run_name);
      break;
    case ItemSource::OwnCleaner:
      // Nothing happens for an item whose cleaner is not registered.
      if (const Cleaner* cleaner = cleaners_.Find(run_name); cleaner != nullptr && *cleaner) (*cleaner)(item);
      break;
    case ItemSource::QoltList:
      RunListItem(item, kQoltFile, run_name);
      break;
  }
}

void TClearTaskThread::FinishItem(const RunContext& item) {
  reporter_.AppendLine("");
  reporter_.AppendLine(ItemResultLine(item.ItemCount, core::FormatKB(item.ItemSize()),
                                      item.IsTest() ? kTestRemovalPhrase : kCleanRemovalPhrase));
  reporter_.AppendLine("");
  reporter_.ScrollLogToEnd();
  total_count_ += item.ItemCount;
  total_size_ += item.ItemSize();
  reporter_.Progress(total_count_);
}

}  // namespace norvik::cleaning
