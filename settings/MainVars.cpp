#include "settings/MainVars.h"

namespace orvane {

bool ShowData = false;
bool ShowTrk = false;
bool ShowSignal = false;
bool ShowConsole = false;
int32_t RepInterval = kRepIntervalBuilt;

}  // namespace orvane
