// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MainVars.h"

#include <algorithm>

namespace orvane {

bool ShowData = false;
bool ShowTrk = false;
bool ShowSignal = false;
bool ShowDeviation = false;
bool ShowCharts = false;
bool ShowConsole = false;
int32_t RepInterval = kRepIntervalBuilt;
std::vector<std::string> RecentSources;
TShareSettings ShareSettings;
TNtripConfig NtripConfig;
bool NtripKeepPassword = false;
bool NtripOn = false;

void RememberSource(std::vector<std::string>& recent, const std::string& address) {
  if (address.empty()) return;
  std::erase(recent, address);
  recent.insert(recent.begin(), address);
  if (recent.size() > kRecentSourcesMax) recent.resize(kRecentSourcesMax);
}

}  // namespace orvane
