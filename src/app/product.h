#pragma once
// The product's names, links and the main window's sizes and own messages.

#include <cstdint>
#include <string_view>

#include "version.h"

namespace norvik::app {

inline constexpr std::string_view kProductName = "Norvik Cleaner";
inline constexpr std::string_view kVersionText = NORVIK_VERSION_TEXT;
inline constexpr std::string_view kWindowCaption = "Norvik Cleaner " NORVIK_VERSION_TEXT;
// Other programs find the running instance by this class name.
inline constexpr std::string_view kWindowClassName = "Norvik Cleaner Made by Norvik Software";
inline constexpr std::string_view kTitleHint = "Optimize your computer performance";
inline constexpr std::string_view kUpdateLinkText = "Check for updates...";

inline constexpr std::string_view kHomePageUrl = "https://norvik-software.example/cleaner/";
inline constexpr std::string_view kHelpPageUrl = "https://norvik-software.example/cleaner/help/";
inline constexpr std::string_view kUpdatePageUrl = "https://norvik-software.example/cleaner/update/";

// Client size at creation and the smallest window size the user may drag it to.
inline constexpr int kClientWidth = 697;
inline constexpr int kClientHeight = 456;
inline constexpr int kMinWindowWidth = 626;
inline constexpr int kMinWindowHeight = 455;

// The program's own window messages.
inline constexpr unsigned kWmShowMain = 21509;
inline constexpr unsigned kWmTrayIcon = 21510;
inline constexpr unsigned kWmAutoClean = 21511;
inline constexpr unsigned kWmCleanProgress = 21512;
inline constexpr unsigned kWmCleanDone = 21513;
inline constexpr unsigned kWmCleanPrepared = 21552;
inline constexpr unsigned kWmScanSectionDone = 25619;
inline constexpr unsigned kWmScanDone = 25620;
inline constexpr unsigned kWmUnattendedDefrag = 25638;
inline constexpr unsigned kWmUnattendedRegistryReport = 25639;
// Windows' own: WM_SYSCOMMAND with SC_MAXIMIZE, handled by the default window procedure.
inline constexpr unsigned kWmSysCommand = 274;
inline constexpr std::uintptr_t kScMaximize = 61488;

}  // namespace norvik::app
