// A plain window that lists what the Win32 backend reports about this machine:
// a quick look at the platform layer under Wine before the main window exists.

#include "platform/win32/windows_api.h"  // first: tames the A/W macros that clash with our names

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/win32/win32_platform.h"

namespace {

using norvik::platform::Platform;
using norvik::platform::Result;

constexpr wchar_t kWindowClass[] = L"NorvikProbeWindow";
constexpr wchar_t kCaption[] = L"Norvik Cleaner 3.5 - platform probe";
constexpr int kListId = 100;

struct Fact {
  std::string label;
  std::string value;
};

std::string YesNo(const Result<bool>& r) {
  if (!r.ok()) return "error " + std::to_string(r.code());
  return *r ? "yes" : "no";
}

std::string DriveTypeName(norvik::platform::DriveType type) {
  using norvik::platform::DriveType;
  switch (type) {
    case DriveType::Removable: return "removable";
    case DriveType::Fixed: return "fixed";
    case DriveType::Remote: return "network";
    case DriveType::CdRom: return "CD-ROM";
    case DriveType::RamDisk: return "RAM disk";
    case DriveType::NoRootDir: return "no root";
    case DriveType::Unknown: break;
  }
  return "unknown";
}

std::vector<Fact> CollectFacts(Platform& p) {
  std::vector<Fact> facts;
  const auto os = p.system.GetVersion();
  std::string version = std::to_string(os.major) + "." + std::to_string(os.minor) + "." +
                        std::to_string(os.build) + ", platform " + std::to_string(os.platform_id);
  if (!os.service_pack.empty()) version += ", " + os.service_pack;
  facts.push_back({"Windows version", version});
  facts.push_back({"WOW64 process", YesNo(p.system.IsWow64Process())});
  facts.push_back({"Administrator", YesNo(p.system.IsAdministrator())});

  facts.push_back({"Windows folder", p.files.WindowsFolder()});
  facts.push_back({"System folder", p.files.SystemFolder()});
  facts.push_back({"Temp folder", p.files.TempFolder()});

  namespace csidl = norvik::platform::csidl;
  const std::pair<const char*, int> special[] = {
      {"My Documents", csidl::kPersonal},     {"Recent", csidl::kRecent},
      {"Application Data", csidl::kAppData},  {"Local Application Data", csidl::kLocalAppData},
      {"Internet cache", csidl::kInternetCache}, {"Cookies", csidl::kCookies},
      {"History", csidl::kHistory},           {"Fonts", csidl::kFonts},
      {"Program Files", csidl::kProgramFiles},
  };
  for (const auto& [label, id] : special) {
    const auto folder = p.shell.SpecialFolder(id);
    facts.push_back({label, folder.ok() ? *folder : "error " + std::to_string(folder.code())});
  }

  std::string drives;
  const std::uint32_t mask = p.files.LogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    if (!drives.empty()) drives += ", ";
    drives += root.substr(0, 2) + " " + DriveTypeName(p.files.GetDriveType(root));
  }
  facts.push_back({"Drives", drives.empty() ? "none" : drives});

  const std::string module = p.system.ModuleFileName();
  const auto slash = module.find_last_of('\\');
  facts.push_back({"Program folder", slash == std::string::npos ? module : module.substr(0, slash)});
  return facts;
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = norvik::platform::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

void FillList(HWND list, const std::vector<Fact>& facts) {
  for (const Fact& fact : facts) {
    const std::wstring line = Wide(fact.label + ": " + fact.value);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
}

LRESULT CALLBACK ProbeWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      HWND list = CreateWindowExW(
          WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
          WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
          hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), create->hInstance,
          nullptr);
      if (list == nullptr) return -1;
      SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
      auto* facts = static_cast<const std::vector<Fact>*>(create->lpCreateParams);
      FillList(list, *facts);
      return 0;
    }
    case WM_SIZE:
      MoveWindow(GetDlgItem(hwnd, kListId), 8, 8, LOWORD(lparam) - 16, HIWORD(lparam) - 16, TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  norvik::platform::win32::Win32Platform backend;
  Platform platform = backend.platform();
  const std::vector<Fact> facts = CollectFacts(platform);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ProbeWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (RegisterClassExW(&wc) == 0) return 1;

  // A fixed place on screen: under Xvfb there is no window manager to put it anywhere.
  HWND hwnd = CreateWindowExW(0, kWindowClass, kCaption, WS_OVERLAPPEDWINDOW, 20, 20, 760, 480,
                              nullptr, nullptr, instance,
                              const_cast<std::vector<Fact>*>(&facts));
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
