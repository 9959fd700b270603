#include "cleaners/built_in_cleaners.h"

#include "cleaners/ie_cleaners.h"
#include "cleaners/office_messenger_cleaners.h"
#include "cleaners/windows_cleaners.h"

namespace norvik::cleaners {

void RegisterBuiltInCleaners(cleaning::CleanerTable& table) {
  RegisterWindowsCleaners(table);
  RegisterIeCleaners(table);
  RegisterOfficeMessengerCleaners(table);
}

}  // namespace norvik::cleaners
