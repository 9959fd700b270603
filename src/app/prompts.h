#pragma once
// Modal questions and messages, owned by the main window; pages ask through them too.

#include <string_view>

namespace norvik::app {

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual bool AskYesNo(std::string_view question) = 0;  // "No" is the default button
  virtual void ShowError(std::string_view message) = 0;
  // Captioned with the product name, information icon.
  virtual void ShowInformation(std::string_view message) = 0;
  // Empty caption, OK button.
  virtual void ShowPlainMessage(std::string_view message) = 0;
};

}  // namespace norvik::app
