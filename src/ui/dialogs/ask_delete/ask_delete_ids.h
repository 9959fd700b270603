/* Resource identifiers of the question before a clean. Plain #defines only: the
   resource compiler reads this file too. */
#pragma once

#define IDD_ASK_DELETE 300
#define IDC_ASK_DELETE_ICON 301
#define IDC_ASK_DELETE_QUESTION 302
#define IDC_ASK_DELETE_PROCEED 303
#define IDC_ASK_DELETE_DONT_SHOW 304
