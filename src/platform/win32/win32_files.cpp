#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <algorithm>

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

// Wine deletes what a symbolic link points to when the link itself is handed to
// DeleteFile, RemoveDirectory or the shell, so no delete here is given one. (Wine marks
// only links to folders; a link to a file looks like that file and cannot be refused.)
bool IsReparsePoint(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// True when a link sits anywhere below `folder` (links are not entered), or when that
// cannot be ruled out: a folder that cannot be listed or a tree too deep to search.
bool TreeHoldsReparsePoint(const std::wstring& folder, int depth) {
  if (depth >= kMaxDeleteTreeDepth) return true;
  WIN32_FIND_DATAW fd{};
  unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return true;
  do {
    const std::wstring_view name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        TreeHoldsReparsePoint(folder + L"\\" + fd.cFileName, depth + 1)) {
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
  if (IsReparsePoint(*wide)) return Status(kErrAccessDenied);
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
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
       TreeHoldsReparsePoint(std::wstring(WithoutTrailingSeparators(*full)), 0))) {
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
  // The shell can report success for a tree it could only partly remove.
  if (::GetFileAttributesW(full->c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Status(kErrAccessDenied);
  }
  return Status::Ok();
}

Status Win32Files::RemoveDirectory(std::string_view path) {
  const auto wide = WideArg(path);
  if (!wide) return Status(kErrInvalidName);
  if (IsReparsePoint(*wide)) return Status(kErrAccessDenied);
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
