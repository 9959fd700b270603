#pragma once
// The base of every modal dialog: the dialog object is bound to its window at
// WM_INITDIALOG and every later message reaches it through that binding. Exceptions
// stop here, at the one error boundary of the dialogs: the user sees what went wrong and
// the program goes on.

#include "platform/win32/windows_api.h"

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace norvik::ui {

// An error box for an exception that reached a window procedure.
void ShowUnexpectedError(HWND owner, const char* what);

// Runs `handler` at a window procedure's boundary: an exception it lets out is shown
// to the user and `fallback` returned.
template <typename Result, typename Handler>
Result ShowingErrors(HWND owner, Result fallback, Handler&& handler) {
  try {
    return handler();
  } catch (const std::exception& error) {
    ShowUnexpectedError(owner, error.what());
  } catch (...) {
    ShowUnexpectedError(owner, "unknown error");
  }
  return fallback;
}

class DialogBase {
 public:
  DialogBase() = default;
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;
  virtual ~DialogBase() = default;

  // Modal: the button that ended it (IDOK, IDCANCEL), or -1 when it could not open.
  INT_PTR RunModal(HINSTANCE instance, HWND owner, int template_id);

 protected:
  HWND hwnd() const { return hwnd_; }
  HINSTANCE instance() const { return instance_; }
  // WM_INITDIALOG: TRUE lets the system put the focus on the first control.
  virtual INT_PTR OnInitDialog() = 0;
  // Every later message; FALSE when it is not handled. Unless overridden, WM_COMMAND goes
  // to OnCommand and the rest is left to the system.
  virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCommand(int /*id*/, int /*code*/) { return FALSE; }

  // "&OK" (when `may_accept`) and "&Cancel" end the dialog with their id; true for
  // either button, so the caller knows the command was one of them.
  bool EndsDialog(int id, bool may_accept = true) const;
  // For "&OK" with a reason not to accept: tells the user and answers true (the dialog
  // stays open); false for any other command or an empty reason.
  bool RefusesOk(int id, std::string_view why) const;
  std::string ItemText(int id) const;
  void SetItemText(int id, std::string_view text) const;
  void Enable(int id, bool enabled) const;
  void Show(std::initializer_list<int> ids, bool visible) const;

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
};

}  // namespace norvik::ui
