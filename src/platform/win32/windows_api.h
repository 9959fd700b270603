#pragma once
// <windows.h> for code that also uses the platform interfaces. The A/W selector macros
// below share their names with methods of Files; left defined they would rename those
// methods in one translation unit and not in another.

#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef GetDriveType
#undef GetFullPathName
#undef GetLongPathName
#undef GetShortPathName
#undef MoveFile
#undef QueryDosDevice
#undef RemoveDirectory
