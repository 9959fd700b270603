#pragma once
// Putting our own window procedure in front of a control's. The control's own procedure
// and ours are kept in the control's user data, which every window keeps for its
// application: reading it is a plain memory read, where the common controls' subclass
// store asks the window server for a property on every message the control receives.

#include "platform/win32/windows_api.h"

namespace norvik::ui {

// `self` is handed back to `proc` with every message.
using SubclassProc = LRESULT (*)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self);

// Installs `proc` for the rest of the control's life; it is removed as the control goes.
void Subclass(HWND control, SubclassProc proc, void* self);

// The control's own handling of a message, for `proc` to call.
LRESULT CallOriginalProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace norvik::ui
