// SPDX-License-Identifier: GPL-3.0-or-later
// Texts between the core's byte strings and Qt's: file names and labels in the user's 8-bit
// encoding, and file dialog filters.
#pragma once

#include <string>

#include <QString>

namespace orvane {

QString FromLocal(const std::string& s);
std::string ToLocal(const QString& s);

// "desc|pattern|desc|pattern" as the program's tables write filters, in Qt's "desc (pattern);;..."
QString DialogFilter(const char* filter);

}  // namespace orvane
