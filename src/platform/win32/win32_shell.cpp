#include "platform/win32/windows_api.h"
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// GetPath's buffer and flag as the program has always asked for them (flag 2 =
// SLGP_UNCPRIORITY).
constexpr int kShortcutPathChars = 261;
constexpr DWORD kShortcutPathFlags = 2;

class Win32Process final : public Process {
 public:
  Win32Process(HANDLE process, HANDLE thread) : process_(process), thread_(thread) {}
  bool HasEnded() override { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
  Status Terminate() override {
    if (!::TerminateProcess(process_.get(), 1)) return Status(LastError());
    // Termination is asynchronous; the caller counts on the program being gone.
    ::WaitForSingleObject(process_.get(), 5000);
    return Status();
  }

 private:
  unique_handle process_;
  unique_handle thread_;
};

}  // namespace

Result<std::unique_ptr<Process>> Win32Shell::StartHidden(std::string_view command_line) {
  auto wide = WideArg(command_line);
  if (!wide) return Status(kErrInvalidName);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  // CreateProcessW may write into the command line.
  if (!::CreateProcessW(nullptr, wide->data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info)) {
    return Status(LastError(kErrFileNotFound));
  }
  return std::unique_ptr<Process>(std::make_unique<Win32Process>(info.hProcess, info.hThread));
}

Result<std::string> Win32Shell::SpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::SetLastError(ERROR_SUCCESS);
  if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) {
    return Status(LastError(kErrFileNotFound));
  }
  std::wstring path(buffer);
  // "C:\" keeps its backslash; every other folder is given without one.
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return Narrow(path);
}

Result<std::string> Win32Shell::ResolveShortcut(std::string_view lnk_path) {
  const auto wide = WideArg(lnk_path);
  if (!wide) return Status(kErrInvalidName);
  scoped_com_init com;

  unique_com<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void());
  if (FAILED(hr)) return Status(ErrorFromHresult(hr));
  unique_com<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(hr)) return Status(ErrorFromHresult(hr));
  hr = file->Load(wide->c_str(), STGM_READ);
  if (FAILED(hr)) return Status(ErrorFromHresult(hr));

  wchar_t target[kShortcutPathChars] = {};
  hr = link->GetPath(target, kShortcutPathChars, nullptr, kShortcutPathFlags);
  if (FAILED(hr)) return Status(ErrorFromHresult(hr));
  // S_FALSE: the shortcut points at something that is not a file (a shell item).
  if (hr != S_OK || target[0] == L'\0') return Status(kErrFileNotFound);
  return Narrow(target);
}

Status Win32Shell::Open(std::string_view target) {
  const auto wide = WideArg(target);
  if (!wide) return Status(kErrInvalidName);
  // ShellExecute may hand the work to a COM server.
  scoped_com_init com;
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide->c_str(), nullptr, nullptr, SW_SHOW));
  // Results above 32 mean success; below are the old-style error numbers.
  if (result > 32) return Status();
  return Status(result == 0 ? kErrNotEnoughMemory : static_cast<std::uint32_t>(result));
}

Status Win32Shell::EmptyRecycleBins() {
  // Looked up rather than linked: shells before Windows 98 lack the function.
  const unique_hmodule shell32(::LoadLibraryW(L"shell32.dll"));
  if (!shell32) return Status(LastError());
  using EmptyRecycleBinFn = HRESULT(WINAPI*)(HWND, LPCWSTR, DWORD);
  const auto empty_bins = reinterpret_cast<EmptyRecycleBinFn>(
      reinterpret_cast<void*>(::GetProcAddress(shell32.get(), "SHEmptyRecycleBinW")));
  if (!empty_bins) return Status(kErrProcNotFound);
  // An empty root means every drive's bin. An already empty bin is no failure.
  const HRESULT result = empty_bins(nullptr, L"", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  if (FAILED(result) && result != E_UNEXPECTED) return Status(static_cast<std::uint32_t>(HRESULT_CODE(result)));
  return Status();
}

}  // namespace norvik::platform::win32
