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

#define IDD_ASK_DELETE 300
#define IDC_ASK_DELETE_ICON 301
#define IDC_ASK_DELETE_QUESTION 302
#define IDC_ASK_DELETE_PROCEED 303
#define IDC_ASK_DELETE_DONT_SHOW 304
