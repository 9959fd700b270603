/* Resource identifiers shared by norvik.rc and the program. Plain #defines only: the
   resource compiler reads this file too. */
#pragma once

#define IDI_NORVIK 1

#define IDD_ABOUT 100
#define IDC_ABOUT_ICON 101
#define IDC_ABOUT_TITLE 102
#define IDC_ABOUT_VERSION 103
#define IDC_ABOUT_LINK 104
#define IDC_ABOUT_MAKER 105

#define IDD_PLACEHOLDER 110
#define IDC_PLACEHOLDER_TEXT 111
