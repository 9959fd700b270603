/* Resource identifiers shared by norvik.rc, the dialogs' parts and the program. Plain
   #defines only: the resource compiler reads this file too. */
#pragma once

#define IDI_NORVIK 1
