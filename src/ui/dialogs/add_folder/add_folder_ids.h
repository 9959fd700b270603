/* Resource identifiers of the "Add File and Folder" dialog, shared by its .rc part, its code and the GUI
   tests. Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_ADD_FOLDER 730
#define IDC_AF_FOLDER_GROUP 731
#define IDC_AF_FOLDER 732
#define IDC_AF_BROWSE 733
#define IDC_AF_SINGLE 734
#define IDC_AF_MULTIPLE 735
#define IDC_AF_FILE_GROUP 736
#define IDC_AF_FILES 737
#define IDC_AF_MODE_GROUP 738
#define IDC_AF_WHOLE 739
#define IDC_AF_WILDCARD 740
#define IDC_AF_PATTERN 741
#define IDC_AF_PATTERN_HINT 742
