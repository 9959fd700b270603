/* Resource identifiers of the About box. Plain #defines only: the resource compiler
   reads this file too. */
#pragma once

#define IDD_ABOUT 100
#define IDC_ABOUT_ICON 101
#define IDC_ABOUT_TITLE 102
#define IDC_ABOUT_VERSION 103
#define IDC_ABOUT_LINK 104
#define IDC_ABOUT_MAKER 105
