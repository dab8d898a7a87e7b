// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/GnssSystems.h"

#include "common/HostConv.h"

namespace orvane {

int GnssTalkerIndex(std::string_view talker) {
  for (size_t i = 0; i < std::size(kGnssTalkers); ++i)
    if (kGnssTalkers[i] == talker) return static_cast<int>(i);
  return -1;
}

bool IsGnssOnlySentence(std::string_view address) {
  if (address.size() < 6 || address[0] != '$' || GnssTalkerIndex(address.substr(1, 2)) <= 0) return false;
  const std::string_view type = address.substr(3, 3);
  return type == "GGA" || type == "GLL" || type == "RMC" || type == "GSA" || type == "GSV" || type == "GNS";
}

TGnssSystem TalkerSystem(std::string_view talker) {
  if (talker == "GP") return TGnssSystem::Gps;
  if (talker == "GL") return TGnssSystem::Glonass;
  if (talker == "GA") return TGnssSystem::Galileo;
  if (talker == "GB" || talker == "BD") return TGnssSystem::BeiDou;
  if (talker == "GQ" || talker == "QZ") return TGnssSystem::Qzss;
  if (talker == "GI") return TGnssSystem::NavIC;
  return TGnssSystem::Unknown;
}

TGnssSystem SystemOfId(std::string_view id) {
  if (id.size() != 1) return TGnssSystem::Unknown;
  switch (id[0]) {
    case '1':
      return TGnssSystem::Gps;
    case '2':
      return TGnssSystem::Glonass;
    case '3':
      return TGnssSystem::Galileo;
    case '4':
      return TGnssSystem::BeiDou;
    case '5':
      return TGnssSystem::Qzss;
    case '6':
      return TGnssSystem::NavIC;
    default:
      return TGnssSystem::Unknown;
  }
}

TGnssSystem SystemOfPrn(std::string_view prn) {
  int32_t n = 0;
  if (prn.empty() || prn.size() > 4 || !TryStrToInt(prn, n)) return TGnssSystem::Unknown;
  if (n >= 1 && n <= 32) return TGnssSystem::Gps;
  if (n >= 33 && n <= 64) return TGnssSystem::Sbas;
  if (n >= 65 && n <= 96) return TGnssSystem::Glonass;
  if (n >= 193 && n <= 200) return TGnssSystem::Qzss;
  if (n >= 201 && n <= 237) return TGnssSystem::BeiDou;
  return TGnssSystem::Unknown;
}

char SystemLetter(TGnssSystem system) {
  switch (system) {
    case TGnssSystem::Gps:
      return 'G';
    case TGnssSystem::Glonass:
      return 'R';
    case TGnssSystem::Galileo:
      return 'E';
    case TGnssSystem::BeiDou:
      return 'C';
    case TGnssSystem::Qzss:
      return 'J';
    case TGnssSystem::Sbas:
      return 'S';
    case TGnssSystem::NavIC:
      return 'I';
    case TGnssSystem::Unknown:
      break;
  }
  return '\0';
}

std::string_view SystemName(TGnssSystem system) {
  switch (system) {
    case TGnssSystem::Gps:
      return "GPS";
    case TGnssSystem::Glonass:
      return "GLONASS";
    case TGnssSystem::Galileo:
      return "Galileo";
    case TGnssSystem::BeiDou:
      return "BeiDou";
    case TGnssSystem::Qzss:
      return "QZSS";
    case TGnssSystem::Sbas:
      return "SBAS";
    case TGnssSystem::NavIC:
      return "NavIC";
    case TGnssSystem::Unknown:
      break;
  }
  return "";
}

}  // namespace orvane
