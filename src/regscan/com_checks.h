#pragma once
// Custom Controls and Invalid ActiveX: COM classes, interfaces and type libraries under
// HKEY_CLASSES_ROOT. On 64-bit Windows the classes and interfaces of 32-bit programs sit
// below HKEY_CLASSES_ROOT\Wow6432Node; both views are checked, the 32-bit one with its
// texts read as a 32-bit program reads them.

namespace norvik::regscan {

class TScanTaskThread;

void ScanCustomControls(TScanTaskThread& scan);
void ScanActiveX(TScanTaskThread& scan);

}  // namespace norvik::regscan
