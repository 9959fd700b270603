#include "cleaning/clear_task.h"

#include <exception>
#include <set>
#include <utility>

#include "cleaning/list_cleaner.h"
#include "core/utility_routines.h"

namespace norvik::cleaning {
namespace {

// Run names of the catalogue served by code of their own rather than a definitions file.
const std::set<std::string, std::less<>>& OwnCleanerNames() {
  static const std::set<std::string, std::less<>> names = {
      "Windows - Recent Documents", "Windows - Start Run", "Windows - Search Assistant",
      "Windows - Empty Recycle Bin", "Windows - Temporary Files", "Windows - Clipboard",
      "Windows - Memory Dumps", "Windows - Chkdsk File Fragments",
      "Advanced - Open File History", "Advanced - Menu Order Cache", "Advanced - Tray Notifications Cache",
      "Advanced - User Assist History", "Advanced - Paint",
      "Instant Messengers - MSN Messenger", "Instant Messengers - Yahoo! Messenger", "Instant Messengers - Skype",
      "Internet Explorer - Temporary Internet Files", "Internet Explorer - Cookies",
      "Internet Explorer - Visited URL History", "Internet Explorer - Recently Typed URLs",
      "Internet Explorer - Index.dat Files", "Internet Explorer - Last Download Location",
      "Internet Explorer - Autocomplete History",
      "Mozilla Firefox - Cookies", "Mozilla Firefox - Visited URL History",
      "Mozilla Firefox - Temporary Internet Files", "Mozilla Firefox - Download Manager",
      "Mozilla Firefox - Autocomplete History", "Mozilla Firefox - Preferences",
      "Mozilla Firefox - Saved Form Information",
      "Netscape - Cookies", "Netscape - Temporary Internet Files", "Netscape - Visited URL History",
      "Netscape - Preferences", "Netscape - Saved Form Information",
      "Opera - Temporary Internet Files", "Opera - Cookies", "Opera - Visited URL History",
      "Opera - Recently Typed URLs", "Opera - Autocomplete History", "Opera - Transfers",
      "Microsoft Office - Access", "Microsoft Office - Excel", "Microsoft Office - FrontPage",
      "Microsoft Office - Powerpoint", "Microsoft Office - Word", "Microsoft Office - Recent Files",
      "Google Chrome - Temporary Internet Files", "Google Chrome - Cookies",
      "Google Chrome - Visited URL History", "Google Chrome - Session",
      "Google Chrome - Stored passwords in Forms", "Google Chrome - Saved Form Information",
      "Google Chrome - Download History", "Google Chrome - Local Storage",
  };
  return names;
}

}  // namespace

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

bool HasOwnCleaner(std::string_view run_name) { return OwnCleanerNames().count(run_name) > 0; }

void CleanerTable::Register(std::string run_name, Cleaner cleaner) {
  cleaners_[std::move(run_name)] = std::move(cleaner);
}

CleanerTable::Source CleanerTable::SourceOf(std::string_view run_name) const {
  if (run_name.find("Custom Lists -") != std::string_view::npos) return Source::CustomList;
  if (HasOwnCleaner(run_name)) return Source::OwnCleaner;
  return Source::QoltList;
}

const Cleaner* CleanerTable::Find(std::string_view run_name) const {
  const auto it = cleaners_.find(run_name);
  return it == cleaners_.end() ? nullptr : &it->second;
}

TClearTaskThread::TClearTaskThread(platform::Platform platform, RunReporter& reporter,
                                   const CleanerTable& cleaners, RunSetup setup, std::stop_token stop)
    : ItemNames(std::move(setup.item_names)),
      RunKind(setup.run_kind),
      LogPrefix(setup.run_kind == kRunTest ? kTestPrefix : kCleanPrefix),
      RemovalPhrase(setup.run_kind == kRunTest ? kTestRemovalPhrase : kCleanRemovalPhrase),
      platform_(platform),
      reporter_(reporter),
      cleaners_(cleaners),
      options_(setup.options),
      program_folder_(std::move(setup.program_folder)),
      os_code_(setup.os_code),
      clock_(std::move(setup.clock)),
      stop_(std::move(stop)) {}

std::chrono::steady_clock::time_point TClearTaskThread::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void TClearTaskThread::SetItemSize(std::int64_t bytes) {
  ItemSize = bytes;
  ItemSizeText = core::FormatKB(bytes);
}

void TClearTaskThread::Execute() {
  ItemIndex = -1;
  for (std::size_t i = 0; i < ItemNames.size(); ++i) {
    if (Stopped()) return;
    StartItem(static_cast<int>(i));
    if (i > 0) reporter_.AppendLine(SeparatorLine());
    reporter_.AppendLine(LogPrefix + "Clearing " + ItemNames[i] + " ...");
    // A cleaner that fails must not take the run down with it: the item ends with what
    // it counted so far and the next one starts.
    try {
      RunCleaner(ItemNames[i]);
    } catch (const std::exception& e) {
      reporter_.AppendLine(std::string("Error: ") + e.what());
    } catch (...) {
      reporter_.AppendLine("Error: unknown error");
    }
    FinishItem();
  }
  if (Stopped()) return;
  reporter_.AppendLine(SeparatorLine());
  reporter_.AppendLine(TotalLine(IsTest(), TotalCount, TotalSize));
  reporter_.AppendLine(SeparatorLine());
  reporter_.Done(TotalCount);
}

void TClearTaskThread::RunCleaner(const std::string& run_name) {
  switch (cleaners_.SourceOf(run_name)) {
    case CleanerTable::Source::CustomList:
      RunListItem(*this, kCustomListFile, run_name);
      break;
    case CleanerTable::Source::OwnCleaner:
      if (const Cleaner* cleaner = cleaners_.Find(run_name); cleaner != nullptr && *cleaner) (*cleaner)(*this);
      break;
    case CleanerTable::Source::QoltList:
      RunListItem(*this, kQoltFile, run_name);
      break;
  }
}

void TClearTaskThread::StartItem(int index) {
  ItemIndex = index;
  ItemCount = 0;
  ItemSizeText.assign(1, '0');  // not = "0": GCC 12 warns wrongly about that assignment
  ItemSize = 0;
  ItemWorkText.clear();
  LastProgressTime = Now();
  ScrollCounter = 0;
}

void TClearTaskThread::FinishItem() {
  reporter_.AppendLine("");
  reporter_.AppendLine(ItemResultLine(ItemCount, ItemSizeText, RemovalPhrase));
  reporter_.AppendLine("");
  reporter_.ScrollLogToEnd();
  TotalCount += ItemCount;
  TotalSize += ItemSize;
  reporter_.Progress(TotalCount);
}

}  // namespace norvik::cleaning
