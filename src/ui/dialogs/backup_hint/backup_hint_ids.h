/* Resource identifiers of the progress dialog shown while the registry editor runs.
   Plain #defines only: the resource compiler reads this file too. */
#pragma once

#define IDD_BACKUP_HINT 1200
#define IDC_BH_HINT 1201      /* lHint */
#define IDC_BH_PROGRESS 1202
#define IDC_BH_STOP 1203      /* bStop */
