/* Resource identifiers of the registry analysis progress dialog. Plain #defines only:
   the resource compiler reads this file too. */
#pragma once

#define IDD_HIVE_PROGRESS 1500
#define IDC_HP_LABEL 1501
#define IDC_HP_KEY 1502
#define IDC_HP_PROGRESS 1503
#define IDC_HP_STOP 1504
