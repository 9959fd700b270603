#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/dpi.h"

namespace norvik::ui {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  // The cast through void(*)() keeps -Wcast-function-type quiet: the type is the
  // documented signature of `name`.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

UINT ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return kBaseDpi;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT WindowDpi(HWND hwnd) {
  static const auto get_dpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi != nullptr && hwnd != nullptr) {
    const UINT dpi = get_dpi(hwnd);
    if (dpi != 0) return dpi;
  }
  return ScreenDpi();
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, UINT dpi) {
  static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, width, height};
  if (adjust == nullptr || !adjust(&rect, style, FALSE, ex_style, dpi)) {
    rect = RECT{0, 0, width, height};
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW MessageFont(UINT dpi) {
  static const auto spi_for_dpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (spi_for_dpi != nullptr &&
      spi_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    return metrics.lfMessageFont;
  }
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    // Given for the system DPI: bring it to this window's.
    metrics.lfMessageFont.lfHeight =
        ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
    return metrics.lfMessageFont;
  }
  LOGFONTW font{};
  font.lfHeight = -Scale(12, dpi);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
  return font;
}

}  // namespace norvik::ui
