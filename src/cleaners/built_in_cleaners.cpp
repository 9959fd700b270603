#include "cleaners/built_in_cleaners.h"

#include "cleaners/chrome_cleaners.h"
#include "cleaners/ie_cleaners.h"
#include "cleaners/mozilla_opera_cleaners.h"
#include "cleaners/office_messenger_cleaners.h"
#include "cleaners/windows_cleaners.h"

namespace norvik::cleaners {

void RegisterBuiltInCleaners(cleaning::CleanerTable& table) {
  RegisterWindowsCleaners(table);
  RegisterIeCleaners(table);
  RegisterOfficeMessengerCleaners(table);
  RegisterMozillaOperaCleaners(table);
  RegisterChromeCleaners(table);
}

}  // namespace norvik::cleaners
