// SPDX-License-Identifier: GPL-3.0-or-later
// Program-wide state of the main window that the settings file fills at start and takes back at
// exit. Kept apart from the window itself so that the settings code needs no display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/NtripProtocol.h"
#include "net/StreamShare.h"

namespace orvane {

// The data monitor and the track window are shown (menu items menDataWindow, menTrkWindow).
extern bool ShowData;
extern bool ShowTrk;
// The signal levels and the sentence console are shown.
extern bool ShowSignal;
extern bool ShowConsole;
// The deviation and charts windows are shown.
extern bool ShowDeviation;
extern bool ShowCharts;

// The replay timer's interval in milliseconds, as the window's Timer was built.
constexpr int32_t kRepIntervalBuilt = 900;
// The replay pace the window's Timer runs at; the window applies it at start and keeps it
// current when the pace is chosen, so that the exit saves it.
extern int32_t RepInterval;

// The devices and addresses last opened from the port menu, most recent first, offered again by
// "Device or address...". Kept as one key each (Recent1..) rather than one list, so that no
// character of an address can split it.
constexpr size_t kRecentSourcesMax = 8;
extern std::vector<std::string> RecentSources;
// The caster of corrections and whether its stream runs. The password is stored only when the
// user asks; the settings file is then readable by its owner only.
extern TNtripConfig NtripConfig;
extern bool NtripKeepPassword;
extern bool NtripOn;

// Puts `address` first, drops an older copy of it and whatever falls past the limit. An empty
// address is no source and changes nothing.
void RememberSource(std::vector<std::string>& recent, const std::string& address);

// The share of the received stream with other programs, as stored (an `Orvane --share` run
// does not change it).
extern TShareSettings ShareSettings;

}  // namespace orvane
