// SPDX-License-Identifier: GPL-3.0-or-later
// A display that remembers every call, for asserting what the decoders showed.
#pragma once

#include <string>
#include <vector>

#include "nmea/NmeaDisplay.h"

namespace orvane::test {

class RecordingDisplay : public TNmeaDisplay {
public:
  struct Placement {
    std::string prn;
    int index, elevation, azimuth, snr;
    bool operator==(const Placement&) const = default;
  };
  std::vector<Placement> placed;
  std::vector<std::pair<int, bool>> visibility;
  std::vector<std::pair<int, TColor>> colours;
  std::vector<std::string> fixCaptions, gga, gll, rmc, accuracy, texts, recv, status;
  std::vector<int> ages;

  void PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) override {
    placed.push_back({prn, index, elevation, azimuth, snr});
  }
  void SetSatVisible(int index, bool visible) override { visibility.emplace_back(index, visible); }
  void SetSatColor(int index, TColor color) override { colours.emplace_back(index, color); }
  void SetFixCaption(const std::string& c) override { fixCaptions.push_back(c); }
  void ShowGGA(const std::string& b) override { gga.push_back(b); }
  void ShowGLL(const std::string& b) override { gll.push_back(b); }
  void ShowRMC(const std::string& b) override { rmc.push_back(b); }
  void ShowAccuracy(const std::string& b) override { accuracy.push_back(b); }
  void ShowReceiverText(const std::string& t) override { texts.push_back(t); }
  // The last-sentence line: each sentence as shown (">" when logged) and each notice.
  void ShowSentence(const TSentenceInfo& info) override { recv.push_back(SentenceLine(info)); }
  void ShowNotice(std::string_view s) override { recv.emplace_back(s); }
  void ShowStatus(const std::string& s) override { status.push_back(s); }
  void ShowDataAge(int seconds) override { ages.push_back(seconds); }
};

}  // namespace orvane::test
