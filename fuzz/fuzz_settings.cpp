// SPDX-License-Identifier: GPL-3.0-or-later
// The settings load as a whole over any file: every key of [Settings] and [Track], the [Ports]
// devices, the definition sections and the [Bounds] placements as the windows restore them.
// What one load and save made must come back unchanged through a second load and save, and
// [Bounds] must survive the save byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzFile.h"
#include "nmea/NmeaRec.h"
#include "serial/PortNames.h"
#include "settings/IniFile.h"
#include "settings/Placement.h"
#include "settings/Settings.h"
#include "track/TrackState.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Spill(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

const std::string& FileName() { return fuzzfile::Path("Orvane.ini"); }

// The placements as the windows read them, restored on two screens side by side.
void RestorePlacements() {
  const std::vector<orvane::TScreenArea> screens = {{{0, 0, 1920, 1080}, {0, 30, 1920, 1050}},
                                                    {{1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}}};
  for (const char* key : {"SatVForm.Bounds", "MoniForm.Bounds", "TrackForm.Bounds"}) {
    orvane::TPlacement p;
    if (!orvane::ParsePlacement(orvane::ReadPlacement(key), p)) continue;
    orvane::TPlacement again;
    if (!orvane::ParsePlacement(orvane::FormatPlacement(p), again) ||
        orvane::FormatPlacement(again) != orvane::FormatPlacement(p))
      std::abort();
    orvane::TRestoredRect r;
    if (!orvane::RestoreRect(p, screens, r)) continue;
    const orvane::TPixelRect& a = r.Rect;
    if (a.Width < 1 || a.Height < 1 || a.Width > 1920 || a.Height > 1050) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& file = FileName();
  orvane::SetSettingsFileName(file);
  Spill(file, std::string(reinterpret_cast<const char*>(data), size));
  const std::vector<std::string> bounds = orvane::TIniFile(file).ReadSectionValues("Bounds");

  orvane::NmeaRec = orvane::TNmeaRec{};
  orvane::TrackState = orvane::TTrackState{};
  orvane::LoadSettings();
  RestorePlacements();
  for (int n = 1; n <= orvane::kComPortCount; ++n) orvane::ComDeviceName(n);
  if (orvane::NmeaRec.HeadR < orvane::kHeadRMin || orvane::NmeaRec.HeadR > orvane::kHeadRMax) std::abort();
  if (orvane::TrackState.DataMax > orvane::kDataMaxLimit) std::abort();
  if (orvane::TrackState.Zoom < 1 || orvane::TrackState.Zoom > 17) std::abort();

  try {
    orvane::SaveSettings();
  } catch (const orvane::EIniFileError&) {
    return 0;  // a file the INI layer will not rewrite is left alone
  }
  if (orvane::TIniFile(file).ReadSectionValues("Bounds") != bounds) std::abort();
  const std::string once = Slurp(file);
  orvane::LoadSettings();
  orvane::SaveSettings();
  if (Slurp(file) != once) std::abort();
  orvane::ClearComDevices();
  return 0;
}
