#include "app/dialogs/ignore_entry_dialog.h"

#include "platform/text_encoding.h"

namespace norvik::app::dialogs {

bool IgnoreEntryDialog::CanAccept() const { return platform::UpperCase(text_).find("HKEY_") != std::string::npos; }

void IgnoreEntryDialog::LaunchRegistryEditor() const { (void)shell_->Open("Regedit.exe"); }

}  // namespace norvik::app::dialogs
