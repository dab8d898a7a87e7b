// SPDX-License-Identifier: GPL-3.0-or-later
// A command for the receiver as the user types it ("PMTK220,1000", "$PUBX,40,GSV,0,0,0,0,0,0*59")
// turned into the sentence the receiver expects: "$", the text, "*" and the checksum, CR LF.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The sentence to send for `typed`: blanks around it dropped, a leading "$" (or "!") kept or
// added, a "*hh" at its end replaced by the checksum of what it holds. False, with `error`, for
// an empty text or one holding what no sentence may (a line end, a second "$" or "*", a byte
// outside printable ASCII).
bool FrameCommand(std::string_view typed, std::string& sentence, std::string& error);

// The two hexadecimal digits (upper case) of the XOR of `body`'s bytes.
std::string ChecksumOf(std::string_view body);

}  // namespace orvane
