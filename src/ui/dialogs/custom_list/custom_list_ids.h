/* Resource identifiers of the custom list editor, shared by its .rc part, its code and the GUI
   tests. Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_CUSTOM_LIST 700
#define IDC_CL_CONTENT 701
#define IDC_CL_ADD_FOLDER 702
#define IDC_CL_ADD_REGISTRY 703
#define IDC_CL_EDIT 704
#define IDC_CL_REMOVE 705
