// SPDX-License-Identifier: GPL-3.0-or-later
// Small text steps that several readers and writers share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// ASCII letters upper-cased, every other byte (a Shift_JIS one too) as it is.
std::string Upper(std::string_view s);
// The extension of the last name in the path, upper-cased and without its dot; empty when the
// name has none (a dot in a folder's name does not count).
std::string Extension(std::string_view path);
// Without the blanks and tabs at either end, nor a CR left at the end of a line.
std::string_view TrimBlanks(std::string_view s);
// The decimal digits of v, a "-" before them when it is negative.
void AppendInt(std::string& out, int64_t v);

}  // namespace orvane
