// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows, created once in the order main window, data monitor, track window,
// settings dialog (each later one reads what the main window's creation loaded), and destroyed
// the other way round so that the main window's destruction saves what the others left.
#pragma once

namespace orvane {

void CreateForms();
void DestroyForms();

}  // namespace orvane
