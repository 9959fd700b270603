#pragma once
// "Add to Ignore List" (TfrmRegAddRegistry): one entry of the ignore lists, a key or a
// value path beginning with a root name. The window only draws it and forwards the typing.

#include <string>
#include <utility>

#include "platform/system.h"

namespace norvik::app::dialogs {

class IgnoreEntryDialog {
 public:
  IgnoreEntryDialog(platform::Shell& shell, std::string text) : shell_(&shell), text_(std::move(text)) {}

  void SetText(std::string text) { text_ = std::move(text); }
  const std::string& text() const { return text_; }
  // "&OK" takes only a text that names a root ("HKEY_..." in any case).
  bool CanAccept() const;
  // "&Launch Registry Editor", to look the path up.
  void LaunchRegistryEditor() const;

 private:
  platform::Shell* shell_;
  std::string text_;
};

}  // namespace norvik::app::dialogs
