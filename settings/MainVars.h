// Program-wide state of the main window that the settings file fills at start and takes back at
// exit. Kept apart from the window itself so that the settings code needs no display.
#pragma once

#include <cstdint>

namespace orvane {

// The data monitor and the track window are shown (menu items menDataWindow, menTrkWindow).
extern bool ShowData;
extern bool ShowTrk;
// The signal levels and the sentence console are shown.
extern bool ShowSignal;
extern bool ShowConsole;

// The replay timer's interval in milliseconds, as the window's Timer was built.
constexpr int32_t kRepIntervalBuilt = 900;
// The replay pace the window's Timer runs at; the window applies it at start and keeps it
// current when the pace is chosen, so that the exit saves it.
extern int32_t RepInterval;

}  // namespace orvane
