/* Resource identifiers of the custom list editor and its two add dialogs, shared by
   custom_list.rc, the dialogs' code and the GUI tests. Plain #defines only: the
   resource compiler reads this file too. */
#pragma once

/* TfrmNewCustomItem */
#define IDD_CUSTOM_LIST 700
#define IDC_CL_CONTENT 701
#define IDC_CL_ADD_FOLDER 702
#define IDC_CL_ADD_REGISTRY 703
#define IDC_CL_EDIT 704
#define IDC_CL_REMOVE 705

/* TfrmAddFolder */
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

/* TfrmAddRegistry */
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
