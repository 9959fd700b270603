#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cleaners/built_in_cleaners.h"
#include "cleaning/clean_item_tree.h"
#include "core/utility_routines.h"
#include "fakes/run_reporter.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"

namespace norvik::cleaners {
namespace {

namespace fs = std::filesystem;
using cleaning::RunKind;
using cleaning::RunOptions;
using platform::sim::SimMachine;
using Lines = std::vector<std::string>;

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kOfficeRecent = "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Office\\Recent\\";
const std::string kReceived = "C:\\users\\user\\Documents\\My Received Files\\";
constexpr RunOptions kLogged{.FastScan = false};

// Files with their sizes, registry text (REGEDIT4 sections, the header added) and empty
// folders: what a machine holds.
struct Content { std::string reg = {}; std::vector<std::pair<std::string, std::size_t>> files = {}; Lines folders = {}; };

using MachineSetup = std::function<void(SimMachine&)>;

// Explorer records the local application-data folder, which the browsers' items read.
constexpr char kShellFolders[] =
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n"
    "\"Local AppData\"=\"C:\\\\users\\\\user\\\\AppData\\\\Local\"\r\n\r\n";

std::unique_ptr<SimMachine> Build(const Content& stays, const Content* goes, const MachineSetup& setup) {
  auto machine = std::make_unique<SimMachine>();
  if (setup) setup(*machine);
  EXPECT_TRUE(platform::LoadRegText(machine->registry(), std::string("REGEDIT4\r\n\r\n") + kShellFolders).empty());
  for (const Content* content : {&stays, goes}) {
    if (content == nullptr) continue;
    EXPECT_TRUE(platform::LoadRegText(machine->registry(), "REGEDIT4\r\n\r\n" + content->reg).empty());
    for (const auto& [path, size] : content->files) machine->WriteFile(path, std::string(size, 'x'));
    for (const auto& folder : content->folders) machine->MakeFolder(folder);
  }
  return machine;
}

// Every file (with its bytes) and folder of every drive, then the whole registry.
std::string Snapshot(SimMachine& machine) {
  const fs::path drives = machine.HostPath("C:\\x").parent_path().parent_path();
  Lines entries;
  for (const auto& entry : fs::recursive_directory_iterator(drives)) {
    std::string line = entry.path().lexically_relative(drives).string();
    if (entry.is_regular_file()) line += " " + std::to_string(entry.file_size());
    entries.push_back(line);
  }
  std::sort(entries.begin(), entries.end());
  std::string text;
  for (const auto& line : entries) text += line + "\n";
  return text + platform::sim::SaveRegText(machine.registry(), platform::RegFormat::Regedit4);
}

// details: the lines between the header and the result line, sorted
struct Outcome { Lines details; std::string result; std::uint32_t count = 0; std::int64_t size = 0; };

Outcome RunItem(SimMachine& machine, const std::string& item, RunKind kind, const RunOptions& options) {
  cleaning::FakeRunReporter reporter;
  cleaning::CleanerTable table;
  RegisterBuiltInCleaners(table);
  cleaning::TClearTaskThread worker(machine.platform(), reporter, table,
                                    {.item_names = {item}, .run_kind = kind, .options = options});
  worker.Execute();
  const Lines lines = reporter.lines();
  if (lines.size() < 7) return {};
  Outcome outcome{Lines(lines.begin() + 1, lines.end() - 6), lines[lines.size() - 5], worker.TotalCount(),
                  worker.TotalSize()};
  std::sort(outcome.details.begin(), outcome.details.end());
  return outcome;
}

std::string Key(const std::string& path) { return "deleting registry key HKEY_CURRENT_USER\\" + path; }
std::string Value(const std::string& key, const std::string& name) {
  return "deleting registry value HKEY_CURRENT_USER\\" + key + "\\" + name;
}
std::string Section(const std::string& key, const std::string& values = "\"v\"=\"x\"\r\n") {
  return "[HKEY_CURRENT_USER\\" + key + "]\r\n" + values + "\r\n";
}
std::string Office(int version, const std::string& below) {
  return "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0\\" + below;
}

// registry_lines: without the run's prefix.
struct Case {
  const char* item; Content stays, goes; std::uint32_t count; Lines registry_lines; bool files_logged = true;
  MachineSetup setup = {}; RunOptions options = kLogged; Lines clean_only_lines = {};
};

// Each item on a machine with its traces and their neighbours. The Test lists and counts
// the traces and changes nothing; the Clean lists and counts the same and leaves exactly
// the machine that has only the neighbours. (Recent Documents with files and Temporary
// Files are the GUI suite's, on Wine's own folders: WindowsCleanersTest.)
TEST(BuiltInCleanersTest, TestListsAndCleanRemovesExactlyTheItemsTraces) {
  const std::string run_mru = kExplorer + "\\RunMRU", recent_docs = kExplorer + "\\RecentDocs",
                    tray = kExplorer + "\\TrayNotify", comdlg = kExplorer + "\\ComDlg32\\",
                    front_page = "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\",
                    user_assist = kExplorer + "\\UserAssist\\", guid1 = "{5E6AB780-7743-11CF-A12B-00AA004AE837}",
                    guid2 = "{75048700-EF1F-11D0-9888-006097DEACF9}", assist1 = user_assist + guid1 + "\\Count",
                    assist2 = user_assist + guid2 + "\\Count", win = "C:\\windows\\", sys32 = win + "system32\\",
                    yahoo = "C:\\Program Files\\Yahoo!\\Messenger\\", skype = "C:\\users\\user\\AppData\\Roaming\\Skype\\",
                    sibling = Section(kExplorer + "\\Other"), rec = kOfficeRecent;
  const MachineSetup more_drives = [](SimMachine& m) {
    m.MapDrive('D', platform::DriveType::Fixed);
    m.MapDrive('E', platform::DriveType::Removable);
    m.MapDrive('F', platform::DriveType::Fixed);
  };
  const MachineSetup windows98 = [&](SimMachine& m) {
    more_drives(m);
    m.system().SetVersion({.major = 4, .minor = 10, .build = 2222, .platform_id = 1, .service_pack = ""});
  };
  const MachineSetup windows_xp = [](SimMachine& m) {
    m.system().SetVersion({.major = 5, .minor = 1, .build = 2600, .platform_id = 2, .service_pack = ""});
  };
  // The user's own bin on each fixed drive holds a link that stays unfollowed; on F: the
  // user's bin folder itself is a link.
  const std::string sid = "S-1-5-21-0-0-0-1000", bin = "$Recycle.Bin\\" + sid + "\\", xp_bin = "RECYCLER\\" + sid + "\\";
  const MachineSetup bins_with_links = [&](SimMachine& m) {
    more_drives(m);
    for (const char* outside : {"C:\\Outside\\kept.txt", "F:\\Outside\\kept.txt"}) m.WriteFile(outside, "o");
    m.MakeFolder("C:\\" + bin);
    m.CreateLink("C:\\" + bin + "$RLINK", "C:\\Outside");
    m.MakeFolder("F:\\$Recycle.Bin");
    m.CreateLink("F:\\" + bin, "F:\\Outside");
  };
  const Content user_bin_stays{"", {{"C:\\" + bin + "desktop.ini", 5}, {"D:\\" + bin + "DESKTOP.INI", 5},
                                    {"C:\\$Recycle.Bin\\S-1-5-21-9-9-9-1001\\$RB.txt", 7}, {"E:\\" + bin + "$RE.txt", 7}}};
  const Content user_bin_goes{"", {{"c:\\" + bin + "$IA1.txt", 544}, {"c:\\" + bin + "$RA1.txt", 100},
                                   {"c:\\" + bin + "$RA2\\inner.txt", 50}, {"c:\\" + bin + "$RA2\\desktop.ini", 10},
                                   {"d:\\" + bin + "INFO2", 30}}};
  const Content xp_bin_stays{"", {{"C:\\" + xp_bin + "INFO2", 20}, {"C:\\" + xp_bin + "Desktop.ini", 5},
                                  {"C:\\RECYCLER\\S-1-5-21-9-9-9-1001\\Dc1.txt", 7}, {"C:\\" + bin + "$RA1.txt", 7}}};
  const Content xp_bin_goes{"", {{"c:\\" + xp_bin + "Dc1.txt", 100}, {"c:\\" + xp_bin + "Dc2\\a", 5}}};
  const Content bin_stays{"", {{"C:\\Recycled\\INFO2", 20}, {"C:\\Recycled\\desktop.ini", 5}, {"D:\\Recycled\\info2", 20},
                               {"D:\\Recycled\\DESKTOP.INI", 5}, {"E:\\Recycled\\INFO2", 1}, {"E:\\Recycled\\desktop.ini", 1},
                               {"E:\\Recycled\\removable.txt", 7}, {"F:\\Recycled\\INFO2", 1}, {"F:\\Recycled\\no-ini.txt", 7}}};
  // The walk names the drives in lower case.
  const Content bin_goes{"", {{"c:\\Recycled\\Dc1.txt", 100}, {"c:\\Recycled\\Dc2\\inner.txt", 50}, {"d:\\Recycled\\Dd1", 30}}};
  const std::string msn = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\";
  const std::string ie = "Software\\Microsoft\\Internet Explorer";
  const std::string ff = "C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\",
                    ff_local = "C:\\users\\user\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\",
                    ns = "C:\\users\\user\\AppData\\Roaming\\Netscape\\NSB\\Profiles\\",
                    opera = "C:\\users\\user\\AppData\\Roaming\\Opera\\",
                    opera_local = "C:\\users\\user\\AppData\\Local\\Opera\\",
                    chrome_data = "C:\\users\\user\\AppData\\Local\\Google\\Chrome\\User Data\\",
                    chrome = chrome_data + "Default\\";
  const RunOptions cache_logged{.FastScan = false, .ShowLogTempInternetFiles = true};
  const Lines waits = {"Clearing, please wait..."};

  const Case cases[] = {
      // An existing key without values still counts once; the empty folder adds nothing.
      {"Windows - Recent Documents", {Section(kExplorer, "")}, {Section(recent_docs, "")}, 1, {Key(recent_docs)}},
      {"Windows - Start Run", {sibling}, {Section(run_mru, "\"a\"=\"cmd\"\r\n\"MRUList\"=\"a\"\r\n")}, 2, {Key(run_mru)}},
      {"Advanced - Open File History", {Section(comdlg + "LastVisitedMRU")},
       {Section(comdlg + "OpenSaveMRU\\*", "\"a\"=\"x\"\r\n\"MRUList\"=\"a\"\r\n") + Section(comdlg + "OpenSaveMRU\\txt")},
       3, {Key(comdlg + "OpenSaveMRU")}},
      {"Advanced - User Assist History",
       {Section(user_assist + guid1, "\"Version\"=dword:00000003\r\n") + Section(user_assist + guid2, "")},
       {Section(assist1, "\"a\"=hex:01\r\n\"b\"=hex:02\r\n") + Section(assist2)}, 3, {Key(assist1), Key(assist2)}},
      {"Advanced - Tray Notifications Cache", {Section(tray, "\"BalloonTip\"=dword:00000001\r\n")},
       {Section(tray, "\"IconStreams\"=hex:01\r\n\"PastIconsStream\"=hex:02\r\n")}, 2,
       {Value(tray, "IconStreams"), Value(tray, "PastIconsStream")}},
      {"Windows - Memory Dumps",
       {"", {{win + "other.dmp", 1}, {win + "MiniDump\\note.txt", 1}, {win + "MiniDump\\sub\\c.dmp", 1}}},
       {"", {{win + "MEMORY.DMP", 1000}, {win + "MiniDump\\a.dmp", 10}, {win + "MiniDump\\b.DMP", 20}}}, 3, {}},
      {"Windows - Chkdsk File Fragments", {"", {{sys32 + "notfile.chk", 1}, {sys32 + "sub\\FILE0002.CHK", 1}}},
       {"", {{sys32 + "FILE0000.CHK", 5}, {sys32 + "file0001.chk", 6}}}, 2, {}},
      // The 95 family: bins on fixed drives holding both marker files only; the markers stay.
      {"Windows - Empty Recycle Bin", bin_stays, bin_goes, 3, {}, false, windows98, kLogged, waits},
      // Vista on: the current user's bin on each fixed drive, all but its desktop.ini.
      {"Windows - Empty Recycle Bin", user_bin_stays, user_bin_goes, 5, {}, true, bins_with_links,
       {.FastScan = false, .ShowLogRecycleBin = true}},
      // Without the user's SID no bin is known to be theirs.
      {"Windows - Empty Recycle Bin", {"", {{"C:\\" + bin + "$RA1.txt", 7}}}, {}, 0, {}, false,
       [](SimMachine& m) { m.system().SetUserSid(std::nullopt); }, kLogged, waits},
      // 2000 and XP: the user's RECYCLER folder; its index stays like its desktop.ini.
      {"Windows - Empty Recycle Bin", xp_bin_stays, xp_bin_goes, 2, {}, false, windows_xp, kLogged, waits},
      {"Microsoft Office - Access",
       {Section(Office(11, "Access\\Options")) + Section(Office(12, "Access"), "") + Section(Office(13, "Access\\Settings")),
        {{rec + "x.xls", 1}}},
       {Section(Office(11, "Access\\Settings"), "\"MRU1\"=\"a\"\r\n\"MRU2\"=\"b\"\r\n") +
            Section(Office(12, "Access\\Settings\\Sub")), {{rec + "a.mdb", 10}, {rec + "B.MDB", 20}}},
       5, {Key(Office(11, "Access\\Settings")), Key(Office(12, "Access\\Settings"))}},
      // The whole Excel key of each version that has one.
      {"Microsoft Office - Excel",
       {Section(Office(11, "Word\\Data"), "\"Settings\"=hex:01\r\n") + Section(Office(8, ""), ""), {}, {rec}},
       {Section(Office(11, "Excel\\Recent Files"), "\"File1\"=\"a\"\r\n") + Section(Office(11, "Excel\\Options")) +
            Section(Office(8, "Excel"), ""), {{rec + "a.xls", 3}}},
       4, {Key(Office(8, "Excel")), Key(Office(11, "Excel"))}},
      // "*.htm" and "*.html" each take only their own ending.
      {"Microsoft Office - FrontPage", {Section(front_page + "Settings"), {{rec + "d.shtml", 1}, {rec + "e.htmx", 1}}},
       {Section(front_page + "Recent File List", "\"1\"=\"a\"\r\n\"2\"=\"b\"\r\n") + Section(front_page + "Recent Page List"),
        {{rec + "a.htm", 1}, {rec + "b.html", 1}, {rec + "C.HTM", 1}}},
       6, {Key(front_page + "Recent File List"), Key(front_page + "Recent Page List")}},
      // Only the "Settings" value; the Data key and its other values stay.
      {"Microsoft Office - Word",
       {Section(Office(11, "Word\\Data"), "\"Toolbars\"=hex:01\r\n") + Section(Office(12, "Word\\Data"), ""),
        {{rec + "c.docx", 1}, {rec + "sub\\d.doc", 1}}},
       {Section(Office(11, "Word\\Data"), "\"Settings\"=hex:01\r\n") +
            Section(Office(12, "Word\\Data"), "\"Settings\"=hex:02\r\n"), {{rec + "a.doc", 10}, {rec + "B.DOC", 10}}},
       4, {Value(Office(11, "Word\\Data"), "Settings"), Value(Office(12, "Word\\Data"), "Settings")}},
      {"Microsoft Office - Recent Files", {"", {{rec + "sub\\d.doc", 1}}},
       {"", {{rec + "a.doc", 1}, {rec + "b.txt", 1}, {rec + "noext", 1}}}, 3, {}},
      // The first passport whose log folder exists, then the received files.
      {"Instant Messengers - MSN Messenger",
       {Section(msn + "1111", "\"MessageLogPath\"=\"C:\\\\Missing\"\r\n") +
            Section(msn + "2222", "\"MessageLogPath\"=dword:00000001\r\n") +
            Section(msn + "3333", "\"MessageLogPath\"=\"C:\\\\Chats\"\r\n") +
            Section(msn + "4444", "\"MessageLogPath\"=\"C:\\\\Later\"\r\n"),
        {{"C:\\Later\\later.xml", 1}}, {"C:\\Chats", kReceived}},
       {"", {{"C:\\Chats\\log1.xml", 10}, {"C:\\Chats\\sub\\log2.xml", 10}, {kReceived + "pic.jpg", 10},
             {kReceived + "sub\\x", 10}}}, 4, {}},
      // The log folder is the received files folder (named in another letter case): once.
      {"Instant Messengers - MSN Messenger",
       {Section(msn + "1", "\"MessageLogPath\"=\"c:\\\\users\\\\user\\\\documents\\\\my received files\"\r\n"), {},
        {kReceived}},
       {"", {{"c:\\users\\user\\documents\\my received files\\a.jpg", 10},
             {"c:\\users\\user\\documents\\my received files\\b.jpg", 10}}}, 2, {}},
      {"Instant Messengers - Yahoo! Messenger",
       {"", {{yahoo + "ypager.exe", 1}, {yahoo + "other.log", 1}}, {yahoo + "IMVCache", yahoo + "Profiles"}},
       {"", {{yahoo + "ypager.log", 100}, {yahoo + "IMVCache\\x.bmp", 100}, {yahoo + "Profiles\\bob\\Archive\\m.dat", 100}}},
       3, {}},
      {"Instant Messengers - Skype", {"", {{skype + "bob\\main.db", 1}}},
       {"", {{skype + "bob\\chat.dbb", 10}, {skype + "x.DBB", 10}}}, 2, {}},
      // A database deleted whole takes the files SQLite keeps beside it.
      {"Mozilla Firefox - Cookies",
       {"", {{ff + "a.default\\cookies.sqlite.bak", 1}, {ff + "a.default\\cookies.txt.old", 1}}, {ff + "b\\deep"}},
       {"", {{ff + "a.default\\cookies.sqlite", 100}, {ff + "a.default\\cookies.sqlite-wal", 10},
             {ff + "a.default\\cookies.sqlite-shm", 5}, {ff + "b\\deep\\Cookies-2.TXT", 7}}}, 4, {}},
      // Each profile's Cache folder, roaming and local; the folders stay.
      {"Mozilla Firefox - Temporary Internet Files",
       {"", {{ff + "a.default\\cache2\\x", 1}}, {ff + "a.default\\Cache", ff + "b\\Cache", ff_local + "a.default\\Cache"}},
       {"", {{ff + "a.default\\Cache\\1", 100}, {ff + "b\\Cache\\sub\\2", 100}, {ff_local + "a.default\\Cache\\3", 100}}},
       3, {}, false, {}, kLogged, waits},
      {"Mozilla Firefox - Temporary Internet Files", {"", {}, {ff + "a.default\\Cache"}},
       {"", {{ff + "a.default\\Cache\\1", 100}}}, 1, {}, true, {}, cache_logged},
      // The fixed profile name first; its subfolders are not searched.
      {"Netscape - Cookies", {"", {{ns + "abc.default\\cookies.txt", 1}, {ns + "pbzik8cu.default\\sub\\cookies.txt", 1}}},
       {"", {{ns + "pbzik8cu.default\\cookies.txt", 10}, {ns + "pbzik8cu.default\\Cookies-1.TXT", 10}}}, 2, {}},
      // Otherwise the first profile marked ".default".
      {"Netscape - Visited URL History", {"", {{ns + "plain\\history.dat", 1}, {ns + "x.default\\sub\\history.dat", 1}}},
       {"", {{ns + "x.default\\history.dat", 10}}}, 1, {}},
      {"Netscape - Temporary Internet Files", {"", {}, {ns + "x.default\\Cache"}},
       {"", {{ns + "x.default\\Cache\\a", 10}, {ns + "x.default\\Cache\\b\\c", 10}}}, 2, {}, true, {}, cache_logged},
      {"Opera - Temporary Internet Files",
       {"", {{opera + "p\\profile\\cache\\x", 1}}, {opera + "p\\profile\\cache4", opera_local + "q\\profile\\cache4"}},
       {"", {{opera + "p\\profile\\cache4\\a", 10}, {opera_local + "q\\profile\\cache4\\b", 10}}}, 2, {}},
      // Without the roaming folder the local one is not looked at.
      {"Opera - Temporary Internet Files", {"", {{opera_local + "q\\profile\\cache4\\b", 10}}}, {}, 0, {}},
      {"Opera - Visited URL History", {"", {{opera + "global.dat.old", 1}}, {opera + "p"}},
       {"", {{opera + "global.dat", 10}, {opera + "p\\vlink4.dat", 10}, {opera + "autosave.win", 10}}}, 3, {}},
      // Only the Default profile; Cache first, then Media Cache.
      {"Google Chrome - Temporary Internet Files",
       {"", {{chrome_data + "Profile 1\\Cache\\x", 1}}, {chrome + "Cache", chrome + "Media Cache"}},
       {"", {{chrome + "Cache\\a", 10}, {chrome + "Cache\\sub\\b", 10}, {chrome + "Media Cache\\c", 10}}}, 3, {}},
      {"Google Chrome - Temporary Internet Files", {"", {{chrome + "Media Cache\\c", 10}}}, {}, 0, {}},
      {"Google Chrome - Cookies", {"", {{chrome_data + "Profile 1\\Cookies", 1}, {chrome + "Cookies.bak", 1}}, {chrome}},
       {"", {{chrome + "Cookies", 10}, {chrome + "Cookies-journal", 10}}}, 2, {}},
      // Whole names only ("History.old" stays); a month's index goes with its journal, and
      // a journal left without its database goes too.
      {"Google Chrome - Visited URL History",
       {"", {{chrome + "History.old", 1}, {chrome + "Bookmarks", 1}}, {chrome + "sub"}},
       {"", {{chrome + "Archived History", 1}, {chrome + "History", 1}, {chrome + "History-journal", 1},
             {chrome + "Thumbnails", 1}, {chrome + "Visited Links", 1}, {chrome + "Current Tabs", 1},
             {chrome + "Last Tabs", 1}, {chrome + "Top Sites", 1}, {chrome + "History Provider Cache", 1},
             {chrome + "Network Action Predictor", 1}, {chrome + "History Index 2010-05", 1},
             {chrome + "History Index 2010-05-journal", 1}, {chrome + "History Index 2010-06-wal", 1},
             {chrome + "sub\\History", 1}}}, 14, {}},
      {"Google Chrome - Local Storage", {"", {}, {chrome + "Local Storage"}},
       {"", {{chrome + "Local Storage\\a", 10}, {chrome + "Local Storage\\sub\\b", 10}}}, 2, {}},
      // Typed addresses are listed in a Test too; the download folder is one value.
      {"Internet Explorer - Recently Typed URLs", {Section(ie, "\"Keep\"=\"1\"\r\n")},
       {Section(ie + "\\TypedURLs", "\"url1\"=\"http://typed.example/\"\r\n\"url2\"=\"http://two.example/\"\r\n")}, 2,
       {Key(ie + "\\TypedURLs"), "deleting http://typed.example/", "deleting http://two.example/"}},
      {"Internet Explorer - Last Download Location", {Section(ie, "\"Keep\"=\"1\"\r\n")},
       {Section(ie, "\"Download Directory\"=\"C:\\\\Downloads\"\r\n")}, 1, {Value(ie, "Download Directory")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    const auto expected = Build(c.stays, nullptr, c.setup);
    const auto machine = Build(c.stays, &c.goes, c.setup);
    std::int64_t bytes = 0;
    for (const auto& file : c.goes.files) bytes += static_cast<std::int64_t>(file.second);
    const std::string before = Snapshot(*machine);
    for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
      const bool test = kind == RunKind::Test;
      const std::string prefix = test ? "Test: " : "Clean: ";
      Lines details = test ? Lines{} : c.clean_only_lines;
      for (const auto& line : c.registry_lines) details.push_back(prefix + line);
      if (c.files_logged) {
        for (const auto& file : c.goes.files) details.push_back(prefix + "deleting " + file.first);
      }
      std::sort(details.begin(), details.end());
      const Outcome outcome = RunItem(*machine, c.item, kind, c.options);
      EXPECT_EQ(outcome.details, details) << prefix;
      EXPECT_EQ(outcome.count, c.count) << prefix;
      EXPECT_EQ(outcome.size, bytes) << prefix;
      EXPECT_EQ(outcome.result,
                cleaning::ItemResultLine(c.count, core::FormatKB(bytes), test ? "will be removed" : "to be removed"));
      EXPECT_EQ(Snapshot(*machine), test ? before : Snapshot(*expected)) << prefix;
    }
  }
}

// Every item with a cleaner of its own (Internet Explorer's still to come) has one; on a
// machine without traces each reports nothing and changes nothing.
TEST(BuiltInCleanersTest, EveryItemIsRegisteredAndFindsNothingOnACleanMachine) {
  cleaning::CleanerTable table;
  RegisterBuiltInCleaners(table);
  const cleaning::CleanItemTree catalogue;
  int items = 0;
  SimMachine machine;
  const std::string before = Snapshot(machine);
  for (const core::NodeId id : catalogue.tree().WalkOrder()) {
    const std::string name = catalogue.Name(id);
    if (cleaning::SourceOfItem(name) != cleaning::ItemSource::OwnCleaner) continue;
    if (name.starts_with("Internet Explorer - ")) continue;
    ++items;
    EXPECT_NE(table.Find(name), nullptr) << name;
    for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
      const Outcome outcome = RunItem(machine, name, kind, kLogged);
      EXPECT_EQ(outcome.count, 0u) << name;
      const bool waits = name == "Windows - Empty Recycle Bin" || name == "Mozilla Firefox - Temporary Internet Files" ||
                         name == "Netscape - Temporary Internet Files";
      EXPECT_EQ(outcome.details, kind != RunKind::Test && waits ? Lines{"Clearing, please wait..."} : Lines{})
          << name;
    }
  }
  EXPECT_EQ(items, 48);
  EXPECT_EQ(Snapshot(machine), before);
}

// The shell's own emptying and the clipboard are touched in a Clean only, and a
// failure of either passes silently.
TEST(BuiltInCleanersTest, ShellEmptiesBinsAndClipboardIsClearedInACleanOnly) {
  SimMachine machine;
  machine.system().SetClipboardText("secret");
  RunItem(machine, "Windows - Clipboard", RunKind::Test, {});
  RunItem(machine, "Windows - Empty Recycle Bin", RunKind::Test, {});
  EXPECT_EQ(machine.system().ClipboardText(), "secret");
  EXPECT_EQ(machine.shell().EmptyRecycleBinsCalls(), 0);

  machine.system().SetClipboardHeldOpen(true);
  EXPECT_EQ(RunItem(machine, "Windows - Clipboard", RunKind::AutomaticClean, {}).result,
            "0 items to be removed; 0 KB to be removed.");
  EXPECT_EQ(machine.system().ClipboardText(), "secret");
  machine.system().SetClipboardHeldOpen(false);
  RunItem(machine, "Windows - Clipboard", RunKind::AutomaticClean, {});
  EXPECT_EQ(machine.system().ClipboardText(), std::nullopt);

  RunItem(machine, "Windows - Empty Recycle Bin", RunKind::AutomaticClean, {});
  EXPECT_EQ(machine.shell().EmptyRecycleBinsCalls(), 1);
  machine.shell().SetRecycleBinFunction(false);
  EXPECT_EQ(RunItem(machine, "Windows - Empty Recycle Bin", RunKind::AutomaticClean, {}).count, 0u);
}

}  // namespace
}  // namespace norvik::cleaners
