#include "platform/sim/sim_machine.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/ini_text.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"
#include "platform/text_encoding.h"

namespace norvik::platform::sim {

namespace fs = std::filesystem;

namespace {

// The machine's own temporary directory; removed last, after every part is gone.
struct TempDirectory {
  fs::path path;

  TempDirectory() {
    std::string pattern = (Base() / "norvik-sim-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
    path = pattern;
  }
  ~TempDirectory() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // Memory-backed /dev/shm when there is one: every test builds and removes a machine,
  // and removing files on a disk mounted with discard costs milliseconds each.
  static fs::path Base() {
    if (const char* chosen = std::getenv("NORVIK_SIM_TMPDIR"); chosen && *chosen) return chosen;
    const fs::path shm = "/dev/shm";
    std::error_code ec;
    if (fs::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0) return shm;
    return fs::temp_directory_path();
  }
};

// The default profile of a Windows 7 machine as Wine lays it out.
std::map<int, std::string> DefaultSpecialFolders(const std::string& user) {
  const std::string profile = "C:\\users\\" + user;
  const std::string roaming = profile + "\\AppData\\Roaming";
  const std::string local = profile + "\\AppData\\Local";
  const std::string start_menu = roaming + "\\Microsoft\\Windows\\Start Menu";
  const std::string common_start_menu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
  return {
      {csidl::kDesktop, profile + "\\Desktop"},
      {csidl::kPrograms, start_menu + "\\Programs"},
      {csidl::kPersonal, profile + "\\Documents"},
      {csidl::kFavorites, profile + "\\Favorites"},
      {csidl::kStartup, start_menu + "\\Programs\\StartUp"},
      {csidl::kRecent, roaming + "\\Microsoft\\Windows\\Recent"},
      {csidl::kSendTo, roaming + "\\Microsoft\\Windows\\SendTo"},
      {csidl::kStartMenu, start_menu},
      {csidl::kDesktopDirectory, profile + "\\Desktop"},
      {csidl::kFonts, "C:\\windows\\Fonts"},
      {csidl::kTemplates, roaming + "\\Microsoft\\Windows\\Templates"},
      {csidl::kCommonStartMenu, common_start_menu},
      {csidl::kCommonPrograms, common_start_menu + "\\Programs"},
      {csidl::kCommonStartup, common_start_menu + "\\Programs\\StartUp"},
      {csidl::kCommonDesktopDirectory, "C:\\users\\Public\\Desktop"},
      {csidl::kAppData, roaming},
      {csidl::kLocalAppData, local},
      {csidl::kInternetCache, local + "\\Microsoft\\Windows\\INetCache"},
      {csidl::kCookies, local + "\\Microsoft\\Windows\\INetCookies"},
      {csidl::kHistory, local + "\\Microsoft\\Windows\\History"},
      {csidl::kCommonAppData, "C:\\ProgramData"},
      {csidl::kWindows, "C:\\windows"},
      {csidl::kSystem, "C:\\windows\\system32"},
      {csidl::kProgramFiles, "C:\\Program Files"},
      {csidl::kProfile, profile},
  };
}

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = TrimIni(text.substr(start, end - start));
    if (!item.empty()) items.emplace_back(item);
    start = end + 1;
  }
  return items;
}

std::uint32_t ToNumber(const std::string& text, const std::string& what) {
  try {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 10);
    if (used == text.size()) return static_cast<std::uint32_t>(value);
  } catch (const std::exception&) {
  }
  throw std::runtime_error("machine.ini: " + what + " is not a number: " + text);
}

bool ToFlag(const std::string& text, const std::string& what) { return ToNumber(text, what) != 0; }

DriveType ToDriveType(const std::string& word) {
  const std::string upper = UpperCase(word);
  if (upper == "FIXED") return DriveType::Fixed;
  if (upper == "REMOVABLE") return DriveType::Removable;
  if (upper == "CDROM") return DriveType::CdRom;
  if (upper == "REMOTE") return DriveType::Remote;
  if (upper == "RAMDISK") return DriveType::RamDisk;
  throw std::runtime_error("machine.ini: unknown drive type " + word);
}

// Each line of a section that has a value.
template <typename Fn>
void ForEachValue(const IniDocument& doc, std::string_view section, Fn fn) {
  const IniSection* s = doc.FindSection(section);
  if (!s || s->name.empty()) return;
  for (const auto& line : s->lines) {
    if (line.value) fn(line.name, *line.value);
  }
}

std::optional<std::string> ValueOf(const IniDocument& doc, std::string_view section,
                                   std::string_view key) {
  const IniSection* s = doc.FindSection(section);
  if (!s || s->name.empty()) return std::nullopt;
  const IniLine* line = FindLine(*s, key);
  if (!line || !line->value) return std::nullopt;
  return *line->value;
}

}  // namespace

namespace {

// The registry editor's two silent commands the program gives it: "Regedit /s "file""
// imports a .reg file, "Regedit /e "file"" exports the whole registry (as 5.00 text).
// Both are done when the program starts and it ends at the first poll.
Result<int> RunRegistryEditor(SimRegistry& registry, SimFiles& files, std::string_view command) {
  const std::string upper = UpperCase(command);
  const bool import = upper.starts_with("REGEDIT /S ");
  if (!import && !upper.starts_with("REGEDIT /E ")) return Status(kErrFileNotFound);
  std::string_view file = command.substr(11);
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
  if (import) {
    auto in = files.Open(file, FileAccess::Read, file_share::kRead, FileDisposition::OpenExisting);
    if (!in) return 0;  // the editor says nothing when /s is given
    (void)LoadRegText(registry, in->ReadAll(kMaxRegValueTextBytes * 4).value_or(""));
    return 0;
  }
  auto out = files.Open(file, FileAccess::Write, file_share::kNone, FileDisposition::CreateAlways);
  if (out) (void)out->WriteAll(SaveRegText(registry, RegFormat::Version5));
  return 0;
}

}  // namespace

struct SimMachine::State {
  TempDirectory temp;  // first member: outlives the parts that use it
  std::string user;
  SimRegistry registry;
  SimFiles files{temp.path / "drives"};
  SimIniFiles ini{files};
  SimShell shell{files};
  SimSystem system;

  explicit State(const std::string& user_name) : user(user_name), system(user_name) {}
};

SimMachine::SimMachine(const std::string& user_name) : state_(std::make_unique<State>(user_name)) {
  SimFiles& files = state_->files;
  files.MapDrive('C', DriveType::Fixed);
  const std::string temp = "C:\\users\\" + user_name + "\\Temp\\";
  files.SetTempFolder(temp);
  MakeFolder(temp);
  for (const auto& [id, path] : DefaultSpecialFolders(user_name)) SetSpecialFolder(id, path);
  MakeFolder("C:\\Norvik");
  // Where programs are installed, as Windows records it.
  MakeFolder("C:\\Program Files");
  (void)state_->registry.Root(RegRoot::LocalMachine)
      .Create("Software\\Microsoft\\Windows\\CurrentVersion")
      .value()
      .Set("ProgramFilesDir", RegValue::String("C:\\Program Files"));

  // RegSaveKey writes a new file on the simulated drives and never replaces one.
  state_->registry.SetFileWriter([&files](const std::string& path, const std::string& bytes) {
    auto file = files.Open(path, FileAccess::Write, file_share::kNone, FileDisposition::CreateNew);
    if (!file) return Status(file.code() == kErrFileExists ? kErrAlreadyExists : file.code());
    return file->WriteAll(bytes);
  });
  state_->shell.SetProgramRunner([&registry = state_->registry, &files](std::string_view command) {
    return RunRegistryEditor(registry, files, command);
  });
}

SimMachine::~SimMachine() = default;

Platform SimMachine::platform() {
  return Platform{state_->registry, state_->files, state_->ini, state_->shell, state_->system};
}

SimRegistry& SimMachine::registry() { return state_->registry; }
SimFiles& SimMachine::files() { return state_->files; }
SimIniFiles& SimMachine::ini() { return state_->ini; }
SimShell& SimMachine::shell() { return state_->shell; }
SimSystem& SimMachine::system() { return state_->system; }
const std::string& SimMachine::UserName() const { return state_->user; }

std::filesystem::path SimMachine::HostPath(std::string_view windows_path) {
  fs::path host = state_->files.HostPath(windows_path);
  if (host.empty()) {
    throw std::invalid_argument("not a drive-absolute path: " + std::string(windows_path));
  }
  return host;
}

void SimMachine::WriteFile(std::string_view windows_path, std::string_view contents) {
  const fs::path host = HostPath(windows_path);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + host.string());
}

std::optional<std::string> SimMachine::ReadFile(std::string_view windows_path) {
  const fs::path host = HostPath(windows_path);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) return std::nullopt;
  return ReadHostFile(host);
}

void SimMachine::MakeFolder(std::string_view windows_path) {
  fs::create_directories(HostPath(windows_path));
}

void SimMachine::MapDrive(char letter, DriveType type, bool has_medium) {
  state_->files.MapDrive(letter, type, has_medium);
}

void SimMachine::SetDosDevice(char letter, std::string device) {
  state_->files.SetDosDevice(letter, std::move(device));
}

void SimMachine::SetFileInUse(std::string_view windows_path, bool in_use) {
  state_->files.SetFileInUse(windows_path, in_use);
}

void SimMachine::CreateLink(std::string_view link, std::string_view target) {
  if (Status s = state_->files.CreateLink(link, target); !s) {
    throw std::runtime_error("cannot create link " + std::string(link) + " (error " +
                             std::to_string(s.code()) + ")");
  }
}

void SimMachine::WriteShortcut(std::string_view lnk_path, std::string_view target) {
  WriteFile(lnk_path, std::string(kShortcutMark) + std::string(target));
}

void SimMachine::SetSpecialFolder(int csidl, std::string_view path, bool create) {
  state_->shell.SetSpecialFolder(csidl, std::string(path));
  if (create) MakeFolder(path);
}

std::vector<std::string> SimMachine::RebootDeletes() const { return state_->files.RebootDeletes(); }

std::unique_ptr<SimMachine> SimMachine::LoadFromFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    throw std::runtime_error("no scenario folder " + folder.string());

  IniDocument facts;
  if (fs::exists(folder / "machine.ini", ec))
    facts = IniDocument::Parse(ReadHostFile(folder / "machine.ini"));
  auto machine = std::make_unique<SimMachine>(ValueOf(facts, "System", "User").value_or("user"));
  SimSystem& system = machine->system();
  SimFiles& files = machine->files();

  OsVersion version = system.GetVersion();
  if (auto v = ValueOf(facts, "Version", "Major")) version.major = ToNumber(*v, "Major");
  if (auto v = ValueOf(facts, "Version", "Minor")) version.minor = ToNumber(*v, "Minor");
  if (auto v = ValueOf(facts, "Version", "Build")) version.build = ToNumber(*v, "Build");
  if (auto v = ValueOf(facts, "Version", "Platform"))
    version.platform_id = ToNumber(*v, "Platform");
  if (auto v = ValueOf(facts, "Version", "ServicePack")) version.service_pack = *v;
  system.SetVersion(version);

  if (auto v = ValueOf(facts, "System", "Wow64")) {
    system.SetWow64(EqualsIgnoreCase(*v, "none") ? std::nullopt
                                                 : std::optional<bool>(ToFlag(*v, "Wow64")));
  }
  if (auto v = ValueOf(facts, "System", "Admin")) system.SetAdministrator(ToFlag(*v, "Admin"));
  if (auto v = ValueOf(facts, "System", "Module")) system.SetModuleFileName(*v);
  if (auto v = ValueOf(facts, "System", "Sid")) system.SetUserSid(*v);
  if (auto v = ValueOf(facts, "System", "Privileges")) {
    for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege", "SeShutdownPrivilege"}) {
      system.SetPrivilegeHeld(name, false);
    }
    for (const auto& name : SplitList(*v)) system.SetPrivilegeHeld(name, true);
  }

  if (auto v = ValueOf(facts, "Folders", "Temp")) {
    files.SetTempFolder(*v);
    machine->MakeFolder(*v);
  }
  if (auto v = ValueOf(facts, "Folders", "Windows")) files.SetWindowsFolder(*v);
  if (auto v = ValueOf(facts, "Folders", "System")) files.SetSystemFolder(*v);

  ForEachValue(facts, "Environment", [&](const std::string& name, const std::string& value) {
    system.SetEnvironment(name, value.empty() ? std::nullopt : std::optional<std::string>(value));
  });
  ForEachValue(facts, "Drives", [&](const std::string& letter, const std::string& value) {
    const auto words = SplitList(value);
    if (letter.size() != 1 || words.empty())
      throw std::runtime_error("machine.ini: bad drive " + letter);
    bool has_medium = true;
    std::string device;
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (EqualsIgnoreCase(words[i], "nomedia")) {
        has_medium = false;
      } else if (words[i].front() == '\\') {
        device = words[i];
      } else {
        throw std::runtime_error("machine.ini: bad drive option " + words[i]);
      }
    }
    files.MapDrive(letter[0], ToDriveType(words[0]), has_medium);
    if (!device.empty()) files.SetDosDevice(letter[0], device);
  });
  ForEachValue(facts, "SpecialFolders", [&](const std::string& id, const std::string& path) {
    machine->SetSpecialFolder(static_cast<int>(ToNumber(id, "CSIDL")), path);
  });

  // Files go onto the drives by their Windows names, so that "Users" in the scenario
  // lands in the machine's "users".
  const fs::path drives = folder / "drives";
  if (fs::is_directory(drives, ec)) {
    for (const auto& drive : fs::directory_iterator(drives)) {
      const std::string letter = drive.path().filename().string();
      if (letter.size() != 1 || !drive.is_directory()) continue;
      if (files.GetDriveType(letter + ":\\") == DriveType::NoRootDir) {
        files.MapDrive(letter[0], DriveType::Fixed);
      }
      for (auto it = fs::recursive_directory_iterator(drive.path());
           it != fs::recursive_directory_iterator(); ++it) {
        std::string windows = letter + ":";
        for (const auto& part : fs::relative(it->path(), drive.path()))
          windows += "\\" + part.string();
        if (it->is_directory()) {
          machine->MakeFolder(windows);
        } else {
          machine->WriteFile(windows, ReadHostFile(it->path()));
        }
      }
    }
  }

  if (fs::exists(folder / "registry.reg", ec)) {
    const auto problems = LoadRegText(machine->registry(), ReadHostFile(folder / "registry.reg"));
    if (!problems.empty()) {
      throw std::runtime_error("registry.reg line " + std::to_string(problems.front().line) + ": " +
                               problems.front().message);
    }
  }

  ForEachValue(facts, "InUse", [&](const std::string&, const std::string& path) {
    machine->SetFileInUse(path, true);
  });
  ForEachValue(facts, "Links", [&](const std::string& link, const std::string& target) {
    machine->CreateLink(link, target);
  });
  ForEachValue(facts, "Shortcuts", [&](const std::string& lnk, const std::string& target) {
    machine->WriteShortcut(lnk, target);
  });
  return machine;
}

}  // namespace norvik::platform::sim
