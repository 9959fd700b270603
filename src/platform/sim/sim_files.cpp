#include "platform/sim/sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/sim/sim_paths.h"
#include "platform/text_encoding.h"

namespace norvik::platform::sim {

namespace fs = std::filesystem;
using namespace file_attr;

namespace {

constexpr std::uint32_t kErrNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr std::uint32_t kErrDirectory = 267;     // ERROR_DIRECTORY: not a folder
constexpr std::uint32_t kKeptFileBits = kReadOnly | kHidden | kSystem;
constexpr std::uint32_t kKeptFolderBits = kHidden | kSystem;  // Wine keeps no read-only bit
constexpr std::uint64_t kEpochDifference = 11644473600ull;    // 1601-01-01 to 1970-01-01, s

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasAccess(FileAccess access, FileAccess bit) {
  return (static_cast<std::uint32_t>(access) & static_cast<std::uint32_t>(bit)) != 0;
}

FileTime ToFileTime(const timespec& ts) {
  if (ts.tv_sec < 0) return 0;
  return (static_cast<std::uint64_t>(ts.tv_sec) + kEpochDifference) * 10000000ull +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}
bool IsHostLink(const fs::path& p) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(p, ec));
}
bool IsFolder(const fs::path& p) {  // follows links, as listing through a junction does
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// What one lstat tells about an entry; a link's target is looked at only for links.
struct EntryKind {
  bool exists = false;
  bool link = false;
  bool folder = false;  // following a link
};
EntryKind KindFromStat(const fs::path& p, const struct stat& st) {
  const bool link = S_ISLNK(st.st_mode);
  return {true, link, S_ISDIR(st.st_mode) || (link && IsFolder(p))};
}
EntryKind KindOf(const fs::path& p) {
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0) return {};
  return KindFromStat(p, st);
}

// The names in a host folder in listing order.
std::vector<std::string> ListNames(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  SortForListing(names);
  return names;
}

// A name in a host folder: the exact name, else the first one equal ignoring case,
// else an 8.3 alias.
std::optional<fs::path> FindChild(const fs::path& dir, std::string_view name,
                                  bool exact_known_missing = false) {
  const fs::path exact = dir / std::string(name);
  if (!exact_known_missing && Exists(exact)) return exact;
  const std::vector<std::string> names = ListNames(dir);
  for (const auto& n : names) {
    if (EqualsIgnoreCase(n, name)) return dir / n;
  }
  if (name.find('~') != std::string_view::npos) {
    for (const auto& [long_name, short_name] : AssignShortNames(names)) {
      if (EqualsIgnoreCase(short_name, name)) return dir / long_name;
    }
  }
  return std::nullopt;
}

bool ParseDriveLetter(std::string_view text, char& letter) {
  if (text.size() < 2 || !IsAsciiLetter(text[0]) || text[1] != ':') return false;
  letter = UpperAscii(text[0]);
  return true;
}

struct Opener {
  std::uint64_t id = 0;
  std::uint32_t access = 0;
  std::uint32_t share = 0;
};

// What another program holding the file open is taken to have asked for.
constexpr Opener kInUseHolder{0, 3, file_share::kRead | file_share::kWrite};

bool Conflicts(const Opener& held, std::uint32_t access, std::uint32_t share) {
  const auto read = static_cast<std::uint32_t>(FileAccess::Read);
  const auto write = static_cast<std::uint32_t>(FileAccess::Write);
  return ((access & read) && !(held.share & file_share::kRead)) ||
         ((access & write) && !(held.share & file_share::kWrite)) ||
         ((held.access & read) && !(share & file_share::kRead)) ||
         ((held.access & write) && !(share & file_share::kWrite));
}

struct Drive {
  DriveType type = DriveType::Fixed;
  bool has_medium = true;
  std::string device;
};

// A path looked up on the drives.
struct Resolved {
  fs::path host;
  bool exists = false;
  EntryKind kind;  // of an existing entry
};

}  // namespace

struct SimFiles::State {
  fs::path root;
  mutable std::recursive_mutex mutex;
  std::map<char, Drive> drives;
  std::map<std::string, std::uint32_t> kept_bits;  // host path -> read-only/hidden/system
  std::set<std::string> in_use;
  std::map<std::string, std::vector<Opener>> openers;
  std::uint64_t next_opener = 1;
  std::vector<std::string> reboot_deletes;
  std::string temp_folder = "C:\\users\\user\\Temp\\";
  std::string windows_folder = "C:\\windows";
  std::string system_folder = "C:\\windows\\system32";

  static std::string Key(const fs::path& host) { return host.string(); }

  fs::path DriveFolder(char letter) const { return root / std::string(1, UpperAscii(letter)); }

  Status CheckDrive(char letter) const {
    const auto it = drives.find(letter);
    if (it == drives.end()) return Status(kErrPathNotFound);
    if (!it->second.has_medium) return Status(kErrNotReady);
    return Status::Ok();
  }

  // Every name but the last must be an existing folder; the last may be missing, and
  // is then kept as written so that it can be created. A file named with a trailing
  // separator gives `file_as_folder`.
  Result<Resolved> Resolve(const WinPath& path,
                           std::uint32_t file_as_folder = kErrPathNotFound) const {
    if (Status s = CheckDrive(path.drive); !s) return s;
    fs::path current = DriveFolder(path.drive);
    if (path.is_root()) return Resolved{current, true, {true, false, true}};
    // Most paths are written as stored: one stat of the whole parent settles those.
    fs::path exact_parent = current;
    for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) exact_parent /= path.parts[i];
    const bool parent_as_written = path.parts.size() > 1 && IsFolder(exact_parent);
    if (parent_as_written) current = std::move(exact_parent);
    for (std::size_t i = 0; !parent_as_written && i + 1 < path.parts.size(); ++i) {
      const auto child = FindChild(current, path.parts[i]);
      if (!child || !IsFolder(*child)) return Status(kErrPathNotFound);
      current = *child;
    }
    const std::string& last = path.parts.back();
    if (path.parts.size() == 1 && !IsFolder(current)) return Status(kErrPathNotFound);
    fs::path exact = current / last;
    struct stat st {};
    std::optional<fs::path> child;
    EntryKind kind;
    if (::lstat(exact.c_str(), &st) == 0) {
      kind = KindFromStat(exact, st);
      child = std::move(exact);
    } else if ((child = FindChild(current, last, true))) {
      kind = KindOf(*child);
    }
    if (child) {
      if (path.trailing_separator && !kind.folder) return Status(file_as_folder);
      return Resolved{std::move(*child), true, kind};
    }
    return Resolved{current / last, false, {}};
  }

  // Resolves and insists on an existing entry.
  Result<Resolved> ResolveExisting(std::string_view text,
                                   std::uint32_t file_as_folder = kErrPathNotFound) const {
    auto parsed = ParseWinPath(text);
    if (!parsed) return parsed.status();
    auto found = Resolve(*parsed, file_as_folder);
    if (!found) return found;
    if (!found->exists) return Status(kErrFileNotFound);
    return found;
  }

  std::uint32_t AttributesOf(const fs::path& host) const { return Attributes(host, KindOf(host)); }
  std::uint32_t Attributes(const fs::path& host, const EntryKind& kind) const {
    std::uint32_t kept = 0;
    if (!kept_bits.empty()) {
      const auto it = kept_bits.find(Key(host));
      if (it != kept_bits.end()) kept = it->second;
    }
    std::uint32_t attributes =
        kind.folder ? (kDirectory | (kept & kKeptFolderBits)) : (kArchive | (kept & kKeptFileBits));
    if (kind.link && kind.folder) attributes |= kReparsePoint;
    return attributes;
  }

  void ForgetBits(const fs::path& host) {
    const std::string key = Key(host);
    const std::string prefix = key + "/";
    for (auto it = kept_bits.lower_bound(key); it != kept_bits.end();) {
      if (it->first == key || it->first.starts_with(prefix)) {
        it = kept_bits.erase(it);
      } else if (it->first > prefix) {
        break;
      } else {
        ++it;
      }
    }
  }

  void MoveBits(const fs::path& from, const fs::path& to) {
    const std::string key = Key(from);
    const std::string prefix = key + "/";
    std::vector<std::pair<std::string, std::uint32_t>> moved;
    for (auto it = kept_bits.begin(); it != kept_bits.end();) {
      if (it->first == key || it->first.starts_with(prefix)) {
        moved.emplace_back(Key(to) + it->first.substr(key.size()), it->second);
        it = kept_bits.erase(it);
      } else {
        ++it;
      }
    }
    for (auto& [k, v] : moved) kept_bits[k] = v;
  }

  bool ShareConflict(const fs::path& host, std::uint32_t access, std::uint32_t share) const {
    const std::string key = Key(host);
    if (in_use.count(key) && Conflicts(kInUseHolder, access, share)) return true;
    const auto it = openers.find(key);
    if (it == openers.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](const Opener& o) { return Conflicts(o, access, share); });
  }

  // A file can be deleted or renamed only when every holder shares deletion.
  bool DeleteBlocked(const fs::path& host) const {
    const std::string key = Key(host);
    if (in_use.count(key)) return true;
    const auto it = openers.find(key);
    if (it == openers.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(),
                       [](const Opener& o) { return !(o.share & file_share::kDelete); });
  }

  // `dir_fd` is the open folder holding the entry: a stat by name there spares the
  // kernel the walk down the whole host path.
  FindData Describe(const fs::path& host, std::string name, std::string short_name,
                    int dir_fd = -1) const {
    FindData data;
    struct stat st {};
    const bool found = dir_fd >= 0 ? ::fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                                   : ::lstat(host.c_str(), &st) == 0;
    data.attributes = Attributes(host, found ? KindFromStat(host, st) : EntryKind{});
    data.name = std::move(name);
    data.short_name = std::move(short_name);
    if (found) {
      if (S_ISREG(st.st_mode)) data.size = static_cast<std::uint64_t>(st.st_size);
      data.last_write_time = ToFileTime(st.st_mtim);
      data.last_access_time = ToFileTime(st.st_atim);
      data.creation_time = data.last_write_time;  // the host keeps no creation time
    }
    return data;
  }

  // True when a link sits anywhere below `folder`, or the tree is too deep to search.
  static bool TreeHoldsLink(const fs::path& folder, int depth) {
    if (depth >= kMaxDeleteTreeDepth) return true;
    for (const auto& name : ListNames(folder)) {
      const fs::path child = folder / name;
      if (IsHostLink(child) || (IsFolder(child) && TreeHoldsLink(child, depth + 1))) return true;
    }
    return false;
  }

  // Removes a file or a folder tree; a link would be removed, never entered. Files
  // that are held open stay, and the first failure is kept in `failure`.
  void DeleteTree(const fs::path& host, std::uint32_t& failure, bool known_file = false) {
    std::error_code ec;
    if (!known_file && fs::is_directory(fs::symlink_status(host, ec))) {
      for (const auto& name : ListNames(host)) DeleteTree(host / name, failure);
    } else if (DeleteBlocked(host)) {
      if (!failure) failure = kErrSharingViolation;
      return;
    }
    fs::remove(host, ec);
    if (ec) {
      if (!failure) failure = kErrAccessDenied;
      return;
    }
    ForgetBits(host);
  }
};

namespace {

// An open file over a host file descriptor; reads and writes at its own position.
class SimFile final : public FileImpl {
 public:
  SimFile(std::shared_ptr<SimFiles::State> state, std::string key, std::uint64_t id, int fd,
          bool can_read, bool can_write)
      : state_(std::move(state)),
        key_(std::move(key)),
        id_(id),
        fd_(fd),
        can_read_(can_read),
        can_write_(can_write) {}

  SimFile(const SimFile&) = delete;
  SimFile& operator=(const SimFile&) = delete;
  ~SimFile() override {
    ::close(fd_);
    std::lock_guard lock(state_->mutex);
    auto it = state_->openers.find(key_);
    if (it == state_->openers.end()) return;
    std::erase_if(it->second, [&](const Opener& o) { return o.id == id_; });
    if (it->second.empty()) state_->openers.erase(it);
  }

  Result<std::size_t> Read(void* buffer, std::size_t size) override {
    if (!can_read_) return Status(kErrAccessDenied);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                                static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Status(kErrAccessDenied);
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    position_ += done;
    return done;
  }

  Result<std::size_t> Write(const void* buffer, std::size_t size) override {
    if (!can_write_) return Status(kErrAccessDenied);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, size - done,
                                 static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Status(kErrAccessDenied);
      done += static_cast<std::size_t>(n);
    }
    position_ += done;
    return done;
  }

  Result<std::uint64_t> Seek(std::int64_t offset, SeekFrom from) override {
    std::int64_t base = 0;
    switch (from) {
      case SeekFrom::Begin:
        base = 0;
        break;
      case SeekFrom::Current:
        base = static_cast<std::int64_t>(position_);
        break;
      case SeekFrom::End: {
        auto size = Size();
        if (!size) return size;
        base = static_cast<std::int64_t>(*size);
        break;
      }
      default:
        return Status(kErrInvalidParameter);
    }
    // Wraps like the signed sum Windows forms, without the overflow being undefined.
    const auto target = static_cast<std::int64_t>(static_cast<std::uint64_t>(base) +
                                                  static_cast<std::uint64_t>(offset));
    if (target < 0) return Status(kErrNegativeSeek);
    position_ = static_cast<std::uint64_t>(target);
    return position_;
  }

  Result<std::uint64_t> Size() const override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Status(kErrInvalidHandle);
    return static_cast<std::uint64_t>(st.st_size);
  }

  Status SetEnd() override {
    if (!can_write_) return Status(kErrAccessDenied);
    if (::ftruncate(fd_, static_cast<off_t>(position_)) != 0) return Status(kErrAccessDenied);
    return Status::Ok();
  }

  Status Flush() override { return can_write_ ? Status::Ok() : Status(kErrAccessDenied); }

  Result<std::uint32_t> LinkCount() const override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Status(kErrInvalidHandle);
    return static_cast<std::uint32_t>(st.st_nlink);
  }

 private:
  std::shared_ptr<SimFiles::State> state_;
  std::string key_;
  std::uint64_t id_;
  int fd_;
  bool can_read_;
  bool can_write_;
  std::uint64_t position_ = 0;
};

class SimFind final : public FindImpl {
 public:
  explicit SimFind(std::vector<FindData> rest) : rest_(std::move(rest)) {}
  Result<FindData> Next() override {
    if (next_ >= rest_.size()) return Status(kErrNoMoreFiles);
    return rest_[next_++];
  }

 private:
  std::vector<FindData> rest_;
  std::size_t next_ = 0;
};

}  // namespace

SimFiles::SimFiles(std::filesystem::path drives_root) : state_(std::make_shared<State>()) {
  state_->root = std::move(drives_root);
}

SimFiles::~SimFiles() = default;

void SimFiles::MapDrive(char letter, DriveType type, bool has_medium) {
  std::lock_guard lock(state_->mutex);
  letter = UpperAscii(letter);
  if (!IsAsciiLetter(letter)) return;
  std::error_code ec;
  fs::create_directories(state_->DriveFolder(letter), ec);
  Drive& drive = state_->drives[letter];
  const bool fresh = drive.device.empty();
  drive.type = type;
  drive.has_medium = has_medium;
  if (!fresh) return;
  int same_kind = 0;
  for (const auto& [other, d] : state_->drives) {
    if (other != letter && d.type == type) ++same_kind;
  }
  switch (type) {
    case DriveType::CdRom:
      drive.device = "\\Device\\CdRom" + std::to_string(same_kind);
      break;
    case DriveType::Removable:
      drive.device = (letter <= 'B') ? "\\Device\\Floppy" + std::to_string(same_kind)
                                     : "\\Device\\HarddiskVolume" + std::to_string(same_kind + 1);
      break;
    case DriveType::Remote:
      drive.device = "\\Device\\LanmanRedirector";
      break;
    case DriveType::RamDisk:
      drive.device = "\\Device\\Ramdisk" + std::to_string(same_kind);
      break;
    default:
      drive.device = "\\Device\\HarddiskVolume" + std::to_string(same_kind + 1);
      break;
  }
}

void SimFiles::SetDosDevice(char letter, std::string device) {
  std::lock_guard lock(state_->mutex);
  const auto it = state_->drives.find(UpperAscii(letter));
  if (it != state_->drives.end()) it->second.device = std::move(device);
}

std::filesystem::path SimFiles::DriveFolder(char letter) const {
  return state_->DriveFolder(letter);
}

std::filesystem::path SimFiles::HostPath(std::string_view windows_path) const {
  const auto parsed = ParseWinPath(windows_path, NameCheck::kNone);
  if (!parsed) return {};
  std::lock_guard lock(state_->mutex);
  fs::path current = state_->DriveFolder(parsed->drive);
  bool found_so_far = true;
  for (const auto& part : parsed->parts) {
    std::optional<fs::path> child;
    if (found_so_far && IsFolder(current)) child = FindChild(current, part);
    found_so_far = child.has_value();
    current = child ? *child : current / part;
  }
  return current;
}

void SimFiles::SetFileInUse(std::string_view path, bool in_use) {
  const std::string key = State::Key(HostPath(path));
  std::lock_guard lock(state_->mutex);
  if (in_use) {
    state_->in_use.insert(key);
  } else {
    state_->in_use.erase(key);
  }
}

Status SimFiles::CreateLink(std::string_view link, std::string_view target) {
  auto parsed = ParseWinPath(link);
  if (!parsed) return parsed.status();
  if (parsed->is_root()) return Status(kErrAlreadyExists);
  const fs::path target_host = HostPath(target);
  if (target_host.empty()) return Status(kErrPathNotFound);
  std::lock_guard lock(state_->mutex);
  auto found = state_->Resolve(*parsed);
  if (!found) return found.status();
  if (found->exists) return Status(kErrAlreadyExists);
  std::error_code ec;
  if (IsFolder(target_host)) {
    fs::create_directory_symlink(target_host, found->host, ec);
  } else {
    fs::create_symlink(target_host, found->host, ec);
  }
  return ec ? Status(kErrAccessDenied) : Status::Ok();
}

Status SimFiles::SetLastWriteTime(std::string_view path, FileTime time) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(path);
  if (!found) return found.status();
  const std::uint64_t ticks = time;  // 100 ns since 1601
  const std::int64_t seconds =
      static_cast<std::int64_t>(ticks / 10000000ull) - static_cast<std::int64_t>(kEpochDifference);
  timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(seconds);
  times[1].tv_nsec = static_cast<long>((ticks % 10000000ull) * 100);
  if (::utimensat(AT_FDCWD, found->host.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    return Status(kErrAccessDenied);
  }
  return Status::Ok();
}

std::vector<std::string> SimFiles::RebootDeletes() const {
  std::lock_guard lock(state_->mutex);
  return state_->reboot_deletes;
}

void SimFiles::SetTempFolder(std::string path) {
  std::lock_guard lock(state_->mutex);
  state_->temp_folder = std::move(path);
}

void SimFiles::SetWindowsFolder(std::string path) {
  std::lock_guard lock(state_->mutex);
  state_->windows_folder = std::move(path);
}

void SimFiles::SetSystemFolder(std::string path) {
  std::lock_guard lock(state_->mutex);
  state_->system_folder = std::move(path);
}

Result<FindStart> SimFiles::FindFirst(std::string_view pattern) {
  auto parsed = ParseWinPath(pattern, NameCheck::kWildcardsInLast);
  if (!parsed) return parsed.status();
  WinPath folder = *parsed;
  std::lock_guard lock(state_->mutex);

  // Without a name to look for ("C:\", "C:\dir\") there is never a match.
  if (folder.is_root() || folder.trailing_separator) {
    if (!folder.is_root() && HasWildcards(folder.parts.back())) return Status(kErrInvalidName);
    auto found = state_->Resolve(folder, kErrFileNotFound);
    return found ? Status(kErrFileNotFound) : found.status();
  }

  const std::string mask = folder.parts.back();
  folder.parts.pop_back();
  auto dir = state_->Resolve(folder);
  if (!dir) return dir.status();
  if (!dir->exists) return Status(kErrPathNotFound);
  if (!IsFolder(dir->host)) return Status(kErrInvalidName);

  const bool wildcards = HasWildcards(mask);
  const auto matches = [&](const std::string& name, const std::string& short_name) {
    if (!wildcards) return EqualsIgnoreCase(name, mask) || EqualsIgnoreCase(short_name, mask);
    return MatchesMask(name, mask) || (!short_name.empty() && MatchesMask(short_name, mask));
  };

  std::vector<FindData> found;
  if (!folder.is_root() && wildcards) {
    for (const char* dot : {".", ".."}) {
      if (!MatchesMask(dot, mask)) continue;
      FindData data = state_->Describe(dir->host, dot, "");
      data.attributes = kDirectory;
      data.size = 0;
      found.push_back(std::move(data));
    }
  }
  const std::vector<std::string> names = ListNames(dir->host);
  const auto short_names = AssignShortNames(names);
  const int dir_fd = ::open(dir->host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const auto& name : names) {
    const auto it = short_names.find(name);
    const std::string short_name = it == short_names.end() ? std::string() : it->second;
    if (matches(name, short_name))
      found.push_back(state_->Describe(dir->host / name, name, short_name, dir_fd));
  }
  if (dir_fd >= 0) ::close(dir_fd);
  if (found.empty()) return Status(kErrFileNotFound);

  FindStart start;
  start.first = std::move(found.front());
  found.erase(found.begin());
  start.rest = FindHandle(std::make_unique<SimFind>(std::move(found)));
  return start;
}

Result<std::uint32_t> SimFiles::GetAttributes(std::string_view path) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(path);
  if (!found) return found.status();
  return state_->AttributesOf(found->host);
}

bool SimFiles::IsLink(std::string_view path) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(path);
  return found && found->kind.link;
}

bool SimFiles::IsListedLink(std::string_view folder, const FindData& entry) {
  return IsLink(std::string(folder) + entry.name);
}

Status SimFiles::DeleteListedFile(std::string_view folder, const FindData& entry) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(std::string(folder) + entry.name);
  if (!found) return found.status();
  if (found->kind.link || found->kind.folder) return Status(kErrAccessDenied);
  std::uint32_t failure = 0;
  state_->DeleteTree(found->host, failure, true);
  return Status(failure);
}

Status SimFiles::SetAttributes(std::string_view path, std::uint32_t attributes) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(path);
  if (!found) return found.status();
  const std::uint32_t kept = attributes & (IsFolder(found->host) ? kKeptFolderBits : kKeptFileBits);
  const std::string key = State::Key(found->host);
  if (kept) {
    state_->kept_bits[key] = kept;
  } else {
    state_->kept_bits.erase(key);
  }
  return Status::Ok();
}

Result<File> SimFiles::Open(std::string_view path, FileAccess access, std::uint32_t share,
                            FileDisposition disposition) {
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  std::lock_guard lock(state_->mutex);
  auto found = state_->Resolve(*parsed);
  if (!found) return found.status();
  const fs::path& host = found->host;
  const bool wants_write = HasAccess(access, FileAccess::Write);
  const bool truncates = disposition == FileDisposition::CreateAlways ||
                         disposition == FileDisposition::TruncateExisting;

  int flags = O_CLOEXEC;
  if (found->exists) {
    if (IsFolder(host)) return Status(kErrAccessDenied);
    if (disposition == FileDisposition::CreateNew) return Status(kErrFileExists);
    if ((state_->AttributesOf(host) & kReadOnly) && (wants_write || truncates)) {
      return Status(kErrAccessDenied);
    }
    if (state_->ShareConflict(host, static_cast<std::uint32_t>(access), share)) {
      return Status(kErrSharingViolation);
    }
    if (truncates) flags |= O_TRUNC;
  } else {
    if (disposition == FileDisposition::OpenExisting ||
        disposition == FileDisposition::TruncateExisting) {
      return Status(kErrFileNotFound);
    }
    flags |= O_CREAT | O_EXCL;
    state_->ForgetBits(host);
  }
  // The host file is always opened for both; the access asked for is enforced above it.
  const int fd = ::open(host.c_str(), flags | O_RDWR, 0644);
  if (fd < 0) return Status(kErrAccessDenied);

  const std::uint64_t id = state_->next_opener++;
  const std::string key = State::Key(host);
  state_->openers[key].push_back(Opener{id, static_cast<std::uint32_t>(access), share});
  return File(std::make_unique<SimFile>(state_, key, id, fd, HasAccess(access, FileAccess::Read),
                                        wants_write));
}

Status SimFiles::DeleteFile(std::string_view path) {
  std::lock_guard lock(state_->mutex);
  auto found = state_->ResolveExisting(path, kErrInvalidName);
  if (!found) return found.status();
  const fs::path& host = found->host;
  if (IsHostLink(host) || IsFolder(host)) return Status(kErrAccessDenied);
  if (state_->AttributesOf(host) & kReadOnly) return Status(kErrAccessDenied);
  if (state_->DeleteBlocked(host)) return Status(kErrSharingViolation);
  std::error_code ec;
  fs::remove(host, ec);
  if (ec) return Status(kErrAccessDenied);
  state_->ForgetBits(host);
  return Status::Ok();
}

Status SimFiles::ShellDelete(std::string_view path) {
  // The shell would expand wildcards; here a path names exactly one file or folder.
  if (HasWildcards(path)) return Status(kErrInvalidName);
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  if (parsed->is_root()) return Status(kErrAccessDenied);
  std::lock_guard lock(state_->mutex);
  auto found = state_->Resolve(*parsed);
  if (!found) return found.status();
  if (!found->exists) return Status(kErrFileNotFound);
  const EntryKind& kind = found->kind;
  if (kind.link || (kind.folder && State::TreeHoldsLink(found->host, 0))) {
    return Status(kErrAccessDenied);
  }
  std::uint32_t failure = 0;
  state_->DeleteTree(found->host, failure, kind.exists && !kind.folder);
  return Status(failure);
}

Status SimFiles::RemoveDirectory(std::string_view path) {
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  std::lock_guard lock(state_->mutex);
  auto found = state_->Resolve(*parsed, kErrInvalidName);
  if (!found) return found.status();
  if (!found->exists) return Status(kErrFileNotFound);
  if (parsed->is_root()) return Status(kErrAccessDenied);
  const fs::path& host = found->host;
  if (IsHostLink(host)) return Status(kErrAccessDenied);
  if (!IsFolder(host)) return Status(kErrDirectory);
  std::error_code ec;
  if (!fs::is_empty(host, ec)) return Status(kErrDirNotEmpty);
  fs::remove(host, ec);
  if (ec) return Status(kErrAccessDenied);
  state_->ForgetBits(host);
  return Status::Ok();
}

Status SimFiles::CreateDirectory(std::string_view path) {
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  parsed->trailing_separator = false;  // "file\" names the file, which exists
  std::lock_guard lock(state_->mutex);
  auto found = state_->Resolve(*parsed);
  if (!found) return found.status();
  if (found->exists) return Status(kErrAlreadyExists);
  std::error_code ec;
  fs::create_directory(found->host, ec);
  if (ec) return Status(kErrAccessDenied);
  state_->ForgetBits(found->host);
  return Status::Ok();
}

Status SimFiles::MoveFile(std::string_view from, std::string_view to) {
  auto to_parsed = ParseWinPath(to);
  if (!to_parsed) return to_parsed.status();
  std::lock_guard lock(state_->mutex);
  auto source = state_->ResolveExisting(from);
  if (!source) return source.status();
  if (state_->DeleteBlocked(source->host)) return Status(kErrSharingViolation);
  if (to_parsed->is_root()) return Status(kErrAccessDenied);
  auto target = state_->Resolve(*to_parsed);
  if (!target) return target.status();
  const std::string source_key = State::Key(source->host);
  if (State::Key(target->host).starts_with(source_key + "/")) return Status(kErrInvalidParameter);
  if (target->exists) {
    // A change of letter case only lands on the same entry: Wine reports success and
    // keeps the old name.
    return target->host == source->host ? Status::Ok() : Status(kErrAlreadyExists);
  }
  std::error_code ec;
  fs::rename(source->host, target->host, ec);
  if (ec) return Status(kErrAccessDenied);
  state_->MoveBits(source->host, target->host);
  return Status::Ok();
}

Status SimFiles::MoveFileOver(std::string_view from, std::string_view to) {
  auto to_parsed = ParseWinPath(to);
  if (!to_parsed) return to_parsed.status();
  std::lock_guard lock(state_->mutex);
  auto source = state_->ResolveExisting(from);
  if (!source) return source.status();
  if (IsHostLink(source->host) || IsFolder(source->host)) return Status(kErrAccessDenied);
  if (state_->DeleteBlocked(source->host)) return Status(kErrSharingViolation);
  auto target = state_->Resolve(*to_parsed);
  if (!target) return target.status();
  if (target->exists) {
    if (IsHostLink(target->host) || IsFolder(target->host)) return Status(kErrAccessDenied);
    if (state_->AttributesOf(target->host) & kReadOnly) return Status(kErrAccessDenied);
    if (state_->DeleteBlocked(target->host)) return Status(kErrSharingViolation);
  }
  // rename(2) replaces the target in one step, as the real call does.
  std::error_code ec;
  fs::rename(source->host, target->host, ec);
  if (ec) return Status(kErrAccessDenied);
  state_->ForgetBits(target->host);
  state_->MoveBits(source->host, target->host);
  return Status::Ok();
}

Status SimFiles::DeleteOnReboot(std::string_view path) {
  // Windows only records the request; nothing is checked until the restart.
  std::lock_guard lock(state_->mutex);
  state_->reboot_deletes.emplace_back(path);
  return Status::Ok();
}

std::uint32_t SimFiles::LogicalDrives() {
  std::lock_guard lock(state_->mutex);
  std::uint32_t mask = 0;
  for (const auto& [letter, drive] : state_->drives) mask |= 1u << (letter - 'A');
  return mask;
}

DriveType SimFiles::GetDriveType(std::string_view root) {
  char letter = 0;
  if (!ParseDriveLetter(root, letter)) return DriveType::NoRootDir;
  std::lock_guard lock(state_->mutex);
  const auto it = state_->drives.find(letter);
  return it == state_->drives.end() ? DriveType::NoRootDir : it->second.type;
}

bool SimFiles::IsVolumeReady(std::string_view root) {
  char letter = 0;
  if (!ParseDriveLetter(root, letter)) return false;
  std::lock_guard lock(state_->mutex);
  return state_->CheckDrive(letter).ok();
}

Result<std::vector<std::string>> SimFiles::QueryDosDevice(std::string_view drive) {
  char letter = 0;
  if (drive.empty()) return Status(kErrInvalidParameter);
  // "C:" (Wine also answers "C:\").
  const bool plain = drive.size() == 2 || (drive.size() == 3 && drive[2] == '\\');
  if (!plain || !ParseDriveLetter(drive, letter)) return Status(kErrFileNotFound);
  std::lock_guard lock(state_->mutex);
  const auto it = state_->drives.find(letter);
  if (it == state_->drives.end()) return Status(kErrFileNotFound);
  return std::vector<std::string>{it->second.device};
}

Result<std::string> SimFiles::GetShortPathName(std::string_view path) {
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  std::lock_guard lock(state_->mutex);
  if (Status s = state_->CheckDrive(parsed->drive); !s) return s;

  // Walks the text as written: separators, "." and ".." are kept, each name becomes
  // the 8.3 name of the entry it finds (or its long name when that already is one).
  std::string out(path.substr(0, 2));
  std::vector<fs::path> folders{state_->DriveFolder(parsed->drive)};
  std::size_t i = 2;
  while (i < path.size()) {
    std::size_t start = i;
    while (i < path.size() && IsSeparator(path[i])) ++i;
    out += path.substr(start, i - start);
    start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    const std::string_view name = path.substr(start, i - start);
    if (name.empty()) break;
    if (name == "." || name == "..") {
      out += name;
      if (name == ".." && folders.size() > 1) folders.pop_back();
      continue;
    }
    const fs::path& dir = folders.back();
    if (!IsFolder(dir)) return Status(kErrFileNotFound);
    const auto child = FindChild(dir, name);
    if (!child) return Status(kErrFileNotFound);
    const std::string long_name = child->filename().string();
    const auto short_names = AssignShortNames(ListNames(dir));
    const auto it = short_names.find(long_name);
    out += it == short_names.end() ? long_name : it->second;
    folders.push_back(*child);
  }
  return out;
}

Result<std::string> SimFiles::GetFullPathName(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return Status(kErrInvalidName);
  // Each drive's current folder is taken to be its root.
  std::string text(path);
  char letter = 0;
  if (ParseDriveLetter(text, letter) && (text.size() == 2 || !IsSeparator(text[2]))) {
    text.insert(2, "\\");
  }
  auto parsed = ParseWinPath(text, NameCheck::kNone);
  if (!parsed) return parsed.status();
  std::string out{parsed->drive_written, ':', '\\'};
  for (std::size_t k = 0; k < parsed->parts.size(); ++k) {
    if (k) out += '\\';
    out += parsed->parts[k];
  }
  if (parsed->trailing_separator) out += '\\';
  return out;
}

Result<std::string> SimFiles::GetLongPathName(std::string_view path) {
  auto parsed = ParseWinPath(path);
  if (!parsed) return parsed.status();
  std::lock_guard lock(state_->mutex);
  if (Status s = state_->CheckDrive(parsed->drive); !s) return s;
  std::string out{parsed->drive_written, ':', '\\'};
  fs::path current = state_->DriveFolder(parsed->drive);
  for (std::size_t k = 0; k < parsed->parts.size(); ++k) {
    const auto child = IsFolder(current) ? FindChild(current, parsed->parts[k]) : std::nullopt;
    if (!child) return Status(kErrFileNotFound);
    if (k) out += '\\';
    out += child->filename().string();
    current = *child;
  }
  return out;
}

std::string SimFiles::TempFolder() {
  std::lock_guard lock(state_->mutex);
  return state_->temp_folder;
}

std::string SimFiles::WindowsFolder() {
  std::lock_guard lock(state_->mutex);
  return state_->windows_folder;
}

std::string SimFiles::SystemFolder() {
  std::lock_guard lock(state_->mutex);
  return state_->system_folder;
}

}  // namespace norvik::platform::sim
