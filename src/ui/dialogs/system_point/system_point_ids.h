/* Resource identifiers of the restore point dialog. Plain #defines only: the resource
   compiler reads this file too. */
#pragma once

#define IDD_SYSTEM_POINT 1300
#define IDC_SP_TITLE 1301
#define IDC_SP_PROGRESS 1302
