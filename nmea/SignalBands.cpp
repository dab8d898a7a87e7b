// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/SignalBands.h"

#include <iterator>

namespace orvane {
namespace {

struct TBand {
  TGnssSystem System;
  char Id;
  const char* Name;
};

constexpr TBand kBands[] = {
    {TGnssSystem::Gps, '1', "L1 C/A"},    {TGnssSystem::Gps, '2', "L1 P(Y)"},    {TGnssSystem::Gps, '3', "L1M"},
    {TGnssSystem::Gps, '4', "L2 P(Y)"},   {TGnssSystem::Gps, '5', "L2C-M"},      {TGnssSystem::Gps, '6', "L2C-L"},
    {TGnssSystem::Gps, '7', "L5-I"},      {TGnssSystem::Gps, '8', "L5-Q"},       {TGnssSystem::Glonass, '1', "G1 C/A"},
    {TGnssSystem::Glonass, '2', "G1 P"},  {TGnssSystem::Glonass, '3', "G2 C/A"}, {TGnssSystem::Glonass, '4', "G2 P"},
    {TGnssSystem::Galileo, '1', "E5a"},   {TGnssSystem::Galileo, '2', "E5b"},    {TGnssSystem::Galileo, '3', "E5a+b"},
    {TGnssSystem::Galileo, '4', "E6-A"},  {TGnssSystem::Galileo, '5', "E6-BC"},  {TGnssSystem::Galileo, '6', "E1-A"},
    {TGnssSystem::Galileo, '7', "E1-BC"}, {TGnssSystem::BeiDou, '1', "B1I"},     {TGnssSystem::BeiDou, '2', "B1Q"},
    {TGnssSystem::BeiDou, '3', "B1C"},    {TGnssSystem::BeiDou, '4', "B1A"},     {TGnssSystem::BeiDou, '5', "B2a"},
    {TGnssSystem::BeiDou, '6', "B2b"},    {TGnssSystem::BeiDou, '7', "B2a+b"},   {TGnssSystem::BeiDou, '8', "B3I"},
    {TGnssSystem::BeiDou, '9', "B3Q"},    {TGnssSystem::BeiDou, 'A', "B3A"},     {TGnssSystem::BeiDou, 'B', "B2I"},
    {TGnssSystem::BeiDou, 'C', "B2Q"},    {TGnssSystem::Qzss, '1', "L1 C/A"},    {TGnssSystem::Qzss, '2', "L1C(D)"},
    {TGnssSystem::Qzss, '3', "L1C(P)"},   {TGnssSystem::Qzss, '4', "LIS"},       {TGnssSystem::Qzss, '5', "L2C-M"},
    {TGnssSystem::Qzss, '6', "L2C-L"},    {TGnssSystem::Qzss, '7', "L5-I"},      {TGnssSystem::Qzss, '8', "L5-Q"},
    {TGnssSystem::Qzss, '9', "L6D"},      {TGnssSystem::Qzss, 'A', "L6E"},       {TGnssSystem::NavIC, '1', "L5-SPS"},
    {TGnssSystem::NavIC, '2', "S-SPS"},   {TGnssSystem::NavIC, '3', "L5-RS"},    {TGnssSystem::NavIC, '4', "S-RS"},
    {TGnssSystem::NavIC, '5', "L1-SPS"},
};

}  // namespace

std::string_view BandName(TGnssSystem system, std::string_view id) {
  // SBAS satellites come in the GPS cycles and send on L1 C/A.
  if (system == TGnssSystem::Sbas) system = TGnssSystem::Gps;
  if (id.size() != 1) return "";
  for (const TBand& b : kBands)
    if (b.System == system && b.Id == id[0]) return b.Name;
  return "";
}

std::string BandLabel(TGnssSystem system, std::string_view id) {
  if (id.empty()) return "?";
  const std::string_view name = BandName(system, id);
  return name.empty() ? "sig " + std::string(id) : std::string(name);
}

bool SignalBefore(std::string_view a, std::string_view b) {
  if (a.empty() != b.empty()) return b.empty();
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace orvane
