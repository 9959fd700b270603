#include "platform/win32/windows_api.h"
#include <shellapi.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// One ReadFile/WriteFile moves at most this much; callers loop for more.
constexpr std::size_t kMaxTransfer = 0x40000000;

FileTime ToFileTime(const FILETIME& ft) {
  return (FileTime{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FindData ToFindData(const WIN32_FIND_DATAW& fd) {
  FindData out;
  out.name = Narrow(fd.cFileName);
  out.short_name = Narrow(fd.cAlternateFileName);
  out.attributes = fd.dwFileAttributes;
  out.size = (std::uint64_t{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow;
  out.creation_time = ToFileTime(fd.ftCreationTime);
  out.last_access_time = ToFileTime(fd.ftLastAccessTime);
  out.last_write_time = ToFileTime(fd.ftLastWriteTime);
  return out;
}

class Win32Find final : public FindImpl {
 public:
  explicit Win32Find(unique_find handle) : handle_(std::move(handle)) {}

  Result<FindData> Next() override {
    WIN32_FIND_DATAW fd{};
    if (!::FindNextFileW(handle_.get(), &fd)) return Status(LastError(kErrNoMoreFiles));
    return ToFindData(fd);
  }

 private:
  unique_find handle_;
};

class Win32File final : public FileImpl {
 public:
  explicit Win32File(unique_handle handle) : handle_(std::move(handle)) {}

  Result<std::size_t> Read(void* buffer, std::size_t size) override {
    DWORD got = 0;
    if (!::ReadFile(handle_.get(), buffer, static_cast<DWORD>(std::min(size, kMaxTransfer)), &got,
                    nullptr)) {
      return Status(LastError());
    }
    return std::size_t{got};
  }

  Result<std::size_t> Write(const void* buffer, std::size_t size) override {
    DWORD put = 0;
    if (!::WriteFile(handle_.get(), buffer, static_cast<DWORD>(std::min(size, kMaxTransfer)), &put,
                     nullptr)) {
      return Status(LastError());
    }
    return std::size_t{put};
  }

  Result<std::uint64_t> Seek(std::int64_t offset, SeekFrom from) override {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(handle_.get(), distance, &position, static_cast<DWORD>(from))) {
      return Status(LastError());
    }
    return static_cast<std::uint64_t>(position.QuadPart);
  }

  Result<std::uint64_t> Size() const override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_.get(), &size)) return Status(LastError());
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  Status SetEnd() override {
    return ::SetEndOfFile(handle_.get()) ? Status::Ok() : Status(LastError());
  }

  Status Flush() override {
    return ::FlushFileBuffers(handle_.get()) ? Status::Ok() : Status(LastError());
  }

  Result<std::uint32_t> LinkCount() const override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle_.get(), &info)) return Status(LastError());
    return std::uint32_t{info.nNumberOfLinks};
  }

 private:
  unique_handle handle_;
};

Status BoolResult(BOOL ok) { return ok ? Status::Ok() : Status(LastError()); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring_view WithoutTrailingSeparators(std::wstring_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  return path;
}

// `full` as GetFullPathName gives it. "C:", "C:\", "\", "\\server\share": deleting one
// of these would empty a whole volume.
bool IsVolumeRoot(std::wstring_view full) {
  const std::wstring_view path = WithoutTrailingSeparators(full);
  if (path.empty()) return true;
  if (path.size() == 2 && path[1] == L':') return true;
  if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const std::wstring_view rest = path.substr(2);
    return std::count_if(rest.begin(), rest.end(), IsSeparator) <= 1;
  }
  return false;
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool SameText(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Opens an entry as itself: a junction or symbolic link Windows sees is not followed.
// Without FILE_FLAG_BACKUP_SEMANTICS in `flags` a folder is not opened.
unique_handle OpenAsItself(const std::wstring& path, DWORD access, DWORD flags) {
  return unique_handle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr));
}

// The system's own name for an open file or folder: "\??\C:\dir\name" under Wine,
// "\Device\HarddiskVolume2\dir\name" on Windows. Wine names the place the name finally
// leads to, so a host link to a file answers with its target. One request, where the
// DOS form of the name would also ask the mount manager.
Result<std::wstring> ObjectName(HANDLE handle) {
  std::vector<std::uint64_t> buffer(128);  // aligned for OBJECT_NAME_INFORMATION
  for (;;) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof buffer[0]);
    ULONG needed = 0;
    const NTSTATUS status = ::NtQueryObject(handle, ObjectNameInformation, buffer.data(), size, &needed);
    if (NT_SUCCESS(status)) {
      const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
      return std::wstring(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
    }
    if (needed <= size || needed > 0x10000) return Status(::RtlNtStatusToDosError(status));
    buffer.resize(needed / sizeof buffer[0] + 1);
  }
}

// True when `handle`, opened as `name` in the folder the system calls `folder_name`
// (which ends with a separator), is that entry itself and no place a link leads to.
bool IsItself(HANDLE handle, const std::wstring& folder_name, std::wstring_view name) {
  if (folder_name.empty()) return false;
  auto own = ObjectName(handle);
  return own && SameText(*own, folder_name + std::wstring(name));
}

// True when a link sits anywhere below `folder` (links are not entered), or when that
// cannot be ruled out: a folder that cannot be listed or a tree too deep to search.
// Each file is asked where it leads, since Wine lists a link to a file as that file.
bool TreeHoldsLink(Win32Files& files, const std::wstring& folder, int depth) {
  if (depth >= kMaxDeleteTreeDepth) return true;
  WIN32_FIND_DATAW fd{};
  unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return true;
  do {
    const std::wstring_view name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
    const std::wstring child = folder + L"\\" + fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TreeHoldsLink(files, child, depth + 1)
                                                               : files.IsLink(Narrow(child))) {
      return true;
    }
  } while (::FindNextFileW(find.get(), &fd));
  return ::GetLastError() != ERROR_NO_MORE_FILES;
}

// The shell answers with its own legacy codes (0x71 and up) for most failures; the
// program only needs to know it failed, so those become "access denied".
std::uint32_t ShellDeleteError(int rc) {
  if (rc > 0 && rc < 0x71) return static_cast<std::uint32_t>(rc);
  return kErrAccessDenied;
}

}  // namespace

Result<FindStart> Win32Files::FindFirst(std::string_view pattern) {
  const auto wide = WideArg(pattern);
  if (!wide) return Status(kErrInvalidName);
  WIN32_FIND_DATAW fd{};
  unique_find handle(::FindFirstFileW(wide->c_str(), &fd));
  if (!handle) return Status(LastError(kErrFileNotFound));
  FindStart start;
  start.first = ToFindData(fd);
  start.rest = FindHandle(std::make_unique<Win32Find>(std::move(handle)));
  return start;
}

Result<std::uint32_t> Win32Files::GetAttributes(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Status(LastError(kErrFileNotFound));
  return std::uint32_t{attributes};
}

bool Win32Files::IsLink(std::string_view path) {
  const auto wide = WideArg(path);
  return !wide || IsLinkWide(*wide);
}

bool Win32Files::IsLinkWide(const std::wstring& path) {
  auto full = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
  if (!full) return true;
  const unique_handle handle = OpenAsItself(*full, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle) return !IsMissing(::GetLastError());
  // A link Windows sees, opened as itself.
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!::GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return true;
  }
  const std::wstring_view trimmed = WithoutTrailingSeparators(*full);
  const std::size_t cut = trimmed.find_last_of(L"\\/");
  if (cut == std::wstring_view::npos || cut + 1 == trimmed.size()) return false;  // a volume root
  const std::wstring folder_name = FolderName(std::wstring(trimmed.substr(0, cut + 1)));
  if (IsItself(handle.get(), folder_name, trimmed.substr(cut + 1))) return false;
  // A short (8.3) name leads to the long one.
  auto long_name = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetLongPathNameW(full->c_str(), buffer, size);
  });
  if (!long_name) return true;
  const std::wstring_view long_view = WithoutTrailingSeparators(*long_name);
  return !IsItself(handle.get(), folder_name, long_view.substr(long_view.find_last_of(L"\\/") + 1));
}

std::wstring Win32Files::FolderName(const std::wstring& folder) {
  {
    std::lock_guard lock(folder_mutex_);
    if (folder_ == folder) return folder_name_;
  }
  const unique_handle handle = OpenAsItself(folder, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle) return {};
  auto name = ObjectName(handle.get());
  if (!name) return {};
  if (name->empty() || !IsSeparator(name->back())) name->push_back(L'\\');
  std::lock_guard lock(folder_mutex_);
  folder_ = folder;
  folder_name_ = *name;
  return folder_name_;
}

bool Win32Files::IsListedLink(std::string_view folder, const FindData& entry) {
  const auto wide_folder = WideArg(folder);
  const auto name = WideArg(entry.name);
  if (!wide_folder || !name || entry.is_reparse_point()) return true;
  const unique_handle handle = OpenAsItself(*wide_folder + *name, FILE_READ_ATTRIBUTES,
                                            entry.is_directory() ? FILE_FLAG_BACKUP_SEMANTICS : 0);
  if (!handle) return !IsMissing(::GetLastError());
  return !IsItself(handle.get(), FolderName(*wide_folder), *name);
}

Status Win32Files::DeleteListedFile(std::string_view folder, const FindData& entry) {
  const auto wide_folder = WideArg(folder);
  const auto name = WideArg(entry.name);
  if (!wide_folder || !name) return Status(kErrInvalidName);
  if (entry.is_directory() || entry.is_reparse_point()) return Status(kErrAccessDenied);
  // The check and the delete share one open, so nothing can be put in the file's place
  // between them; a folder put there since the listing is not opened at all.
  const bool read_only = (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0;
  const unique_handle handle = OpenAsItself(*wide_folder + *name, DELETE | (read_only ? FILE_WRITE_ATTRIBUTES : 0), 0);
  if (!handle) return Status(LastError());
  if (!IsItself(handle.get(), FolderName(*wide_folder), *name)) return Status(kErrAccessDenied);
  const auto dispose = [&] {
    FILE_DISPOSITION_INFO info{TRUE};
    return ::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &info, sizeof info) != FALSE;
  };
  const auto set_attributes = [&](DWORD attributes) {
    FILE_BASIC_INFO info{};  // zero times stay as they are
    info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(handle.get(), FileBasicInfo, &info, sizeof info) != FALSE;
  };
  if (dispose()) return Status::Ok();
  const std::uint32_t error = LastError();
  // The shell's delete takes read-only files too: first the flag goes, then the file.
  if (!read_only || error != kErrAccessDenied || !set_attributes(entry.attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return Status(error);
  }
  if (dispose()) return Status::Ok();
  const std::uint32_t second = LastError();
  (void)set_attributes(entry.attributes);
  return Status(second);
}

Status Win32Files::SetAttributes(std::string_view path, std::uint32_t attributes) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  return BoolResult(::SetFileAttributesW(wide->c_str(), attributes));
}

Result<File> Win32Files::Open(std::string_view path, FileAccess access, std::uint32_t share,
                              FileDisposition disposition) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  DWORD desired = 0;
  if ((static_cast<std::uint32_t>(access) & static_cast<std::uint32_t>(FileAccess::Read)) != 0) {
    desired |= GENERIC_READ;
  }
  if ((static_cast<std::uint32_t>(access) & static_cast<std::uint32_t>(FileAccess::Write)) != 0) {
    desired |= GENERIC_WRITE;
  }
  unique_handle handle(::CreateFileW(wide->c_str(), desired, share, nullptr,
                                     static_cast<DWORD>(disposition), FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
  if (!handle) return Status(LastError());
  return File(std::make_unique<Win32File>(std::move(handle)));
}

Status Win32Files::DeleteFile(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  if (IsLinkWide(*wide)) return Status(kErrAccessDenied);
  return BoolResult(::DeleteFileW(wide->c_str()));
}

Status Win32Files::ShellDelete(std::string_view path) {
  const auto wide = WideArg(path);
  // The shell would expand wildcards; a path names exactly one file or folder here.
  if (!wide || wide->find_first_of(L"*?") != std::wstring::npos) return Status(kErrInvalidName);
  // Device and long-path forms ("\\.\", "\\?\") are not normalised below; the program
  // never names a target that way.
  if (wide->empty() || wide->starts_with(L"\\\\.\\") || wide->starts_with(L"\\\\?\\")) {
    return Status(kErrPathNotFound);
  }
  // "C:\." and "dir\.." name a whole volume as surely as "C:\" does.
  auto full = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(wide->c_str(), size, buffer, nullptr);
  });
  if (!full) return full.status();
  if (IsVolumeRoot(*full)) return Status(kErrAccessDenied);
  // Missing targets give the same numbers as every other call, not the shell's own.
  const DWORD attributes = ::GetFileAttributesW(full->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Status(LastError(kErrFileNotFound));
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      (folder ? TreeHoldsLink(*this, std::wstring(WithoutTrailingSeparators(*full)), 0) : IsLinkWide(*full))) {
    return Status(kErrAccessDenied);
  }

  std::wstring from = *full;
  from.push_back(L'\0');  // the list ends with a second NUL (c_str adds the first)
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  const int rc = ::SHFileOperationW(&op);
  if (rc != 0) return Status(ShellDeleteError(rc));
  if (op.fAnyOperationsAborted) return Status(ERROR_CANCELLED);
  // The shell can report success for a tree it could only partly remove. A file's delete
  // answered for itself, and asking about a name just deleted makes Wine compare it with
  // every name left in the folder.
  if (folder && ::GetFileAttributesW(full->c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Status(kErrAccessDenied);
  }
  return Status::Ok();
}

Status Win32Files::RemoveDirectory(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Status(kErrAccessDenied);
  }
  return BoolResult(::RemoveDirectoryW(wide->c_str()));
}

Status Win32Files::CreateDirectory(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  return BoolResult(::CreateDirectoryW(wide->c_str(), nullptr));
}

Status Win32Files::MoveFile(std::string_view from, std::string_view to) {
  const auto wide_from = WideArg(from);
  const auto wide_to = WideArg(to);
  if (!wide_from || !wide_to) return Status(kErrInvalidName);
  return BoolResult(::MoveFileW(wide_from->c_str(), wide_to->c_str()));
}

Status Win32Files::MoveFileOver(std::string_view from, std::string_view to) {
  const auto wide_from = WideArg(from);
  const auto wide_to = WideArg(to);
  if (!wide_from || !wide_to) return Status(kErrInvalidName);
  return BoolResult(
      ::MoveFileExW(wide_from->c_str(), wide_to->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

Status Win32Files::DeleteOnReboot(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  return BoolResult(::MoveFileExW(wide->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

std::uint32_t Win32Files::LogicalDrives() { return ::GetLogicalDrives(); }

DriveType Win32Files::GetDriveType(std::string_view root) {
  const auto wide = WideArg(root);
  if (!wide) return DriveType::NoRootDir;
  return static_cast<DriveType>(::GetDriveTypeW(wide->c_str()));
}

bool Win32Files::IsVolumeReady(std::string_view root) {
  const auto wide = WideArg(root);
  if (!wide) return false;
  // An empty floppy or card reader must not bring up the system's "no disk" box.
  DWORD old_mode = 0;
  const bool mode_set =
      ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode) != FALSE;
  const BOOL ready = ::GetVolumeInformationW(wide->c_str(), nullptr, 0, nullptr, nullptr, nullptr,
                                             nullptr, 0);
  if (mode_set) ::SetThreadErrorMode(old_mode, nullptr);
  return ready != FALSE;
}

Result<std::vector<std::string>> Win32Files::QueryDosDevice(std::string_view drive) {
  const auto wide = WideArg(drive);
  // An empty name would list every device in the system rather than answer for one.
  if (!wide || wide->empty()) return Status(kErrInvalidParameter);
  std::wstring buffer(1024, L'\0');
  DWORD chars = 0;
  for (;;) {
    chars = ::QueryDosDeviceW(wide->c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (chars != 0) break;
    const std::uint32_t error = LastError();
    if (error != kErrInsufficientBuffer || buffer.size() >= 65536) return Status(error);
    buffer.assign(buffer.size() * 4, L'\0');
  }
  // A list of NUL-terminated names ended by an empty one.
  std::vector<std::string> targets;
  const std::wstring_view all(buffer.data(), std::min<std::size_t>(chars, buffer.size()));
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = std::min(all.find(L'\0', start), all.size());
    if (end == start) break;
    targets.push_back(Narrow(all.substr(start, end - start)));
    start = end + 1;
  }
  return targets;
}

Result<std::string> Win32Files::GetShortPathName(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  auto r = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetShortPathNameW(wide->c_str(), buffer, size);
  });
  if (!r) return r.status();
  return Narrow(*r);
}

Result<std::string> Win32Files::GetFullPathName(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  auto r = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(wide->c_str(), size, buffer, nullptr);
  });
  if (!r) return r.status();
  return Narrow(*r);
}

Result<std::string> Win32Files::GetLongPathName(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  auto r = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetLongPathNameW(wide->c_str(), buffer, size);
  });
  if (!r) return r.status();
  return Narrow(*r);
}

std::string Win32Files::TempFolder() {
  auto r = CallWithGrowingBuffer([](wchar_t* buffer, DWORD size) {
    return ::GetTempPathW(size, buffer);
  });
  return r ? Narrow(*r) : std::string();
}

std::string Win32Files::WindowsFolder() {
  auto r = CallWithGrowingBuffer([](wchar_t* buffer, DWORD size) {
    return ::GetWindowsDirectoryW(buffer, size);
  });
  return r ? Narrow(*r) : std::string();
}

std::string Win32Files::SystemFolder() {
  auto r = CallWithGrowingBuffer([](wchar_t* buffer, DWORD size) {
    return ::GetSystemDirectoryW(buffer, size);
  });
  return r ? Narrow(*r) : std::string();
}

}  // namespace norvik::platform::win32
