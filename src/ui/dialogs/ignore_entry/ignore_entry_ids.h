/* Resource identifiers of the "Add to Ignore List" dialog, shared by its .rc part, its code and the
   GUI tests. Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_IGNORE_ENTRY 790
#define IDC_IE_KEY_LABEL 791
#define IDC_IE_KEY 792
#define IDC_IE_KEY_HINT 793
#define IDC_IE_REGEDIT 794
