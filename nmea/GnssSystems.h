// SPDX-License-Identifier: GPL-3.0-or-later
// Which satellite system a talker, a system-ID field or a PRN names, for the decoders of
// multi-GNSS receivers.
#pragma once

#include <string_view>

#include "nmea/NmeaRec.h"

namespace orvane {

// The talkers decoded with Gnss on, in the order their counts are listed.
constexpr std::string_view kGnssTalkers[] = {"GP", "GN", "GL", "GA", "GB", "BD", "GQ", "QZ", "GI"};

// The index of `talker` in kGnssTalkers, or -1.
int GnssTalkerIndex(std::string_view talker);
// The system a talker sends alone; Unknown for GN, which combines them, and for any other.
TGnssSystem TalkerSystem(std::string_view talker);
// The system-ID field of NMEA 4.10 and later (1 GPS ... 5 QZSS, 6 NavIC); Unknown when empty or other.
TGnssSystem SystemOfId(std::string_view id);
// The PRN ranges of NMEA 0183; BeiDou's 201-237 as the receivers that use GN for it send them.
TGnssSystem SystemOfPrn(std::string_view prn);
// G, R, E, C, J, S, I; '\0' for Unknown.
char SystemLetter(TGnssSystem system);
// "GPS", "GLONASS", ...; "" for Unknown.
std::string_view SystemName(TGnssSystem system);
// A sentence that only Gnss on decodes: "$", a talker of kGnssTalkers other than GP, and GGA,
// GLL, RMC, GSA, GSV or GNS.
bool IsGnssOnlySentence(std::string_view address);

// SBAS satellites come with GPS (the GP talker, system ID 1): they are marked used together.
inline TGnssSystem UsedGroup(TGnssSystem system) { return system == TGnssSystem::Sbas ? TGnssSystem::Gps : system; }

}  // namespace orvane
