/* Resource identifiers of the stand-in for editors this build does not have yet. Plain
   #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_PLACEHOLDER 110
#define IDC_PLACEHOLDER_TEXT 111
