#pragma once
// Control identifiers of the main window. The GUI tests find controls by these too, so
// they stay free of Windows headers.

namespace norvik::ui::ids {

// Side buttons: 1000 + their tag. Pages (group boxes): 1100 + their tag.
inline constexpr int kSideButtonBase = 1000;
inline constexpr int kPageBase = 1100;
inline constexpr int SideButton(int tag) { return kSideButtonBase + tag; }
inline constexpr int Page(int tag) { return kPageBase + tag; }

// Each page's controls (and its timers) take ids from its own block of 100; the frame
// routes their messages to the page by that block.
inline constexpr int kIdsPerPage = 100;
inline constexpr int kCleanerIds = 1200;
inline constexpr int kRegistryIds = 1300;
inline constexpr int kToolsIds = 1400;
inline constexpr int kDefragIds = 1500;

// Cleaner page.
inline constexpr int kCleanItems = 1201;    // tvCleanItems
inline constexpr int kLog = 1202;           // lMain
inline constexpr int kCleanProgress = 1203; // ProgressBar1
inline constexpr int kTest = 1204;          // bTest
inline constexpr int kClean = 1205;         // bClean
inline constexpr int kFastMode = 1206;      // cbFastMode
inline constexpr int kTimer1 = 1290;        // the bar's animation
inline constexpr int kRunEventTimer = 1291; // takes the run's reports
inline constexpr int kMenuSaveLog = 1292;   // the log's context menu

// Registry page.
inline constexpr int kSections = 1301;      // tvRegistry
inline constexpr int kRegistryData = 1302;  // lvRegistryData
inline constexpr int kScan = 1303;          // bScan
inline constexpr int kScanTitle = 1304;     // lScanTitle
inline constexpr int kStatusBar = 1305;     // lStatusBar
inline constexpr int kFixErrors = 1306;     // bFixErrors
inline constexpr int kRestoreRegistry = 1307;  // bRestoreRegistry
inline constexpr int kKeyDisplay = 1308;    // Memo1
inline constexpr int kScanProgress = 1309;  // the scan's progress bar
inline constexpr int kMenuResultBase = 1380;  // PopupMenu1's commands, in menu order
inline constexpr int kScanTimer1 = 1390;    // the scan bar's animation
inline constexpr int kScanEventTimer = 1391;  // takes the scan's reports

// Tools page.
inline constexpr int kStartupList = 1401;
inline constexpr int kStartup = 1402;       // bStartup
inline constexpr int kDeleteEntry = 1403;   // bDeleteEntry
inline constexpr int kSelectAll = 1404;     // bSelectAll
inline constexpr int kSelectNone = 1405;    // bSelectNone
inline constexpr int kViewHistory = 1406;   // bViewHistory
inline constexpr int kBackupFullRegistry = 1407;  // bBackupFullRegistry
inline constexpr int kWindowsBackup = 1408; // bWindowsBackup

// Defrag page.
inline constexpr int kHiveList = 1501;      // lvMain
inline constexpr int kAnalyzeRegistry = 1502;  // bAnalyzeRegistry
inline constexpr int kDefragRegistry = 1503;   // bDefragRegistry
inline constexpr int kCurrentRegistrySize = 1504;
inline constexpr int kNewRegistrySize = 1505;
inline constexpr int kSizeReduction = 1506;
inline constexpr int kCompactPercent = 1507;
// The captions of the four sizes above, in the same order.
inline constexpr int kSizeCaptionBase = 1510;

// The help menu's commands.
inline constexpr int kMenuOnlineHelp = 1701;
inline constexpr int kMenuHomepage = 1702;
inline constexpr int kMenuCheckForUpdate = 1703;
inline constexpr int kMenuAbout = 1704;

// The tray menu's own commands (its "Online &Help" is the help menu's), and Timer2.
inline constexpr int kMenuTrayOpen = 1711;
inline constexpr int kMenuTrayExit = 1712;
inline constexpr int kScheduleTimer = 1720;

}  // namespace norvik::ui::ids
