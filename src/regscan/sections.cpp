#include "regscan/sections.h"

#include <algorithm>
#include <array>

#include "regscan/com_checks.h"
#include "regscan/empty_key_checks.h"
#include "regscan/file_type_checks.h"
#include "regscan/hive_scan.h"
#include "regscan/history_checks.h"
#include "regscan/installer_checks.h"
#include "regscan/shell_checks.h"
#include "regscan/software_checks.h"
#include "regscan/startup_checks.h"

namespace norvik::regscan {
namespace {

// Sections whose check is still nullptr set their title and report nothing.
constexpr ScanSection kSections[] = {
    {3, "Scanning: HKEY_CLASSES_ROOT", &ScanClassesRootFiles},
    {4, "Scanning: HKEY_CURRENT_USER", &ScanCurrentUserFiles},
    {5, "Scanning: HKEY_LOCAL_MACHINE", &ScanLocalMachineFiles},
    {6, "Scanning: HKEY_USERS", &ScanUsersFiles},
    {7, "Scanning: Shared DLLs", &ScanSharedDlls},
    {8, "Scanning: Software Locations", &ScanSoftwareLocations},
    {9, "Scanning: Start Menu", &ScanStartMenu},
    {10, "Scanning: Software Locations", &ScanObsoleteSoftware},
    {11, "Scanning: File Extensions", &ScanFileExtensions},
    {12, "Scanning: Fonts Sections", &ScanFonts},
    {13, "Scanning: Invalid Help Files", &ScanHelpFiles},
    {14, "Scanning: Startup Programs", &ScanStartupPrograms},
    {15, "Scanning: Add/Remove Programs", &ScanAddRemovePrograms},
    {16, "Scanning: Custom Controls", &ScanCustomControls},
    {17, "Scanning: Windows Services", &ScanServices},
    {18, "Scanning: Shortcuts", &ScanShortcuts},
    {19, "Scanning: Sound and Appevents", &ScanSounds},
    {20, "Scanning: Invalid ActiveX", &ScanActiveX},
    {21, "Scanning: Installer", &ScanInstaller},
    {22, "", &ScanApplications},
    {23, "Scanning: Empty Uninstaller Entry", &ScanUninstallerEntries},
    {24, "Scanning: MRU and History Lists", &ScanHistoryLists},
    {25, "Scanning: Empty Registry Keys", &ScanEmptyKeys},
};

constexpr int kHeavyCodes[] = {3, 4, 5, 6, 25};
constexpr std::array<int, 6> kStepByHeavyCount = {10, 5, 4, 3, 2, 1};

}  // namespace

std::span<const ScanSection> ScanSections() { return kSections; }

const ScanSection* FindScanSection(int code) {
  const auto* it = std::find_if(std::begin(kSections), std::end(kSections), [code](const auto& s) { return s.code == code; });
  return it == std::end(kSections) ? nullptr : it;
}

bool IsHeavySection(int code) { return std::ranges::find(kHeavyCodes, code) != std::end(kHeavyCodes); }

int ProgressStep(const std::vector<int>& codes) {
  const auto heavy = static_cast<std::size_t>(std::ranges::count_if(codes, IsHeavySection));
  return kStepByHeavyCount[std::min(heavy, kStepByHeavyCount.size() - 1)];
}

}  // namespace norvik::regscan
