// SPDX-License-Identifier: GPL-3.0-or-later
// The program composed: the receive session first (it loads the settings every window reads),
// then the windows in the order main window, data monitor, track window, signal levels,
// console, replay window and settings dialog, each handed the receiver or added as its display;
// taken apart the other way round, the session last, so that its closing saves what the windows
// left.
#pragma once

#include <string>

namespace orvane {

// `Orvane --source ADDRESS`: the source for this run instead of the stored one (before
// CreateForms).
void SetSourceForRun(std::string address);

// `Orvane --share ADDRESS`: shared this run instead of the stored share (before CreateForms).
void SetShareForRun(std::string address);

void CreateForms();
void DestroyForms();

}  // namespace orvane
