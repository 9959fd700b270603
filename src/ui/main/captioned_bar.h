#pragma once
// A progress bar with a caption drawn centred on it ("Finished!", "57%"), painted off
// screen so the text never flickers. The bar's window text holds the same caption, for
// whoever reads the control.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>

namespace norvik::ui {

class CaptionedBar {
 public:
  void Attach(HWND bar);
  void SetFont(HFONT font) { font_ = font; }
  // Nothing: no caption.
  void SetCaption(std::optional<std::string> caption);

 private:
  static LRESULT Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self);
  void Paint(HDC dc) const;

  HWND bar_ = nullptr;
  HFONT font_ = nullptr;
  std::optional<std::wstring> caption_;
};

}  // namespace norvik::ui
