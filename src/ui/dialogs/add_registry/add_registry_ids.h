/* Resource identifiers of the "Add Registry" dialog, shared by its .rc part, its code and the GUI
   tests. Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_ADD_REGISTRY 760
#define IDC_AR_KEY_LABEL 761
#define IDC_AR_KEY 762
#define IDC_AR_KEY_HINT 763
#define IDC_AR_DELETE_KEY 764
#define IDC_AR_DELETE_VALUES 765
#define IDC_AR_DELETE_VALUE 766
#define IDC_AR_VALUE_LABEL 767
#define IDC_AR_VALUE 768
#define IDC_AR_REGEDIT 769
