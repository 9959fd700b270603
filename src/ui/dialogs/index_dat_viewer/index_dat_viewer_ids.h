/* Resource identifiers of the index.dat viewer, shared by its .rc part, its code and the
   GUI tests. Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_INDEX_DAT_VIEWER 1100
#define IDC_IDV_GROUP 1101
#define IDC_IDV_FILE_NAME 1102   /* eFileName */
#define IDC_IDV_BROWSE 1103      /* bBrowseFolder */
#define IDC_IDV_SHOW 1104        /* bShow */
#define IDC_IDV_MORE 1105        /* bShowDetail */
#define IDC_IDV_LIST 1106        /* lvIndexDat */
#define IDC_IDV_TOTAL_LABEL 1107
#define IDC_IDV_TOTAL 1108
#define IDC_IDV_PROGRESS 1109
#define IDC_IDV_SEPARATOR 1110
#define IDC_IDV_DELETE 1111      /* bDelete */
