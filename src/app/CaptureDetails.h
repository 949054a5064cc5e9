#pragma once

#include <QtGlobal>
#include <string>

namespace tarvix::app {

// The column runs of spaces are part of the texts: the list is one text element, translated whole
// when shown (a translator aligns the columns for the language).
inline constexpr const char* kBasicCaptureDetails =
    QT_TRANSLATE_NOOP("WindowText", "BASIC LOGS\n"
                                    "\u2022 Scrivo configuration, settings and logs\n"
                                    "\u2022 System configuration and settings");

inline constexpr const char* kAdvancedCaptureDetails = QT_TRANSLATE_NOOP(
    "WindowText", "BASIC LOGS                                                         ADVANCED LOGS\n"
                  "\u2022 Scrivo configuration, settings and logs        \u2022 Full Scrivo data dump\n"
                  "\u2022 System configuration and settings");

inline constexpr const char* kFullCaptureDetails = QT_TRANSLATE_NOOP(
    "WindowText", "BASIC LOGS                                                         ADVANCED LOGS\n"
                  "\u2022 Scrivo configuration, settings and logs        \u2022 Full Scrivo data dump\n"
                  "\u2022 System configuration and settings                  \u2022 Installed app version information");

/// The list that matches the two capture options.
inline std::string captureDetailsFor(bool getSpinDump, bool getInstalledApps)
{
    if (!getSpinDump) return kBasicCaptureDetails;
    return getInstalledApps ? kFullCaptureDetails : kAdvancedCaptureDetails;
}

}  // namespace tarvix::app
