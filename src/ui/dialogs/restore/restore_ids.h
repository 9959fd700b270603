/* Resource identifiers of the Restore dialog. Plain #defines only: the resource compiler
   reads this file too. */
#pragma once

#define IDD_RESTORE 1400
#define IDC_RS_GROUP 1401
#define IDC_RS_FOLDER 1402     /* eFolder */
#define IDC_RS_BROWSE 1403     /* bBrowseFolder */
#define IDC_RS_LIST 1404       /* ListView1 */
#define IDC_RS_RESTORE 1405    /* aRestore */
#define IDC_RS_OPEN 1406
#define IDC_RS_DELETE 1407     /* aDelete */
