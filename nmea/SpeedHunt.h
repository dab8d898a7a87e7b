// SPDX-License-Identifier: GPL-3.0-or-later
// The "Auto" line speed: the speeds are tried in turn until whole sentences with good checksums
// arrive at one of them. Bytes at a wrong speed are noise that seldom holds a "$...*hh" line
// whose checksum matches, and never two.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

class TSpeedHunt {
public:
  // The speeds in the order tried: the common ones first.
  static constexpr uint32_t kSpeeds[] = {4800, 9600, 38400, 115200, 230400, 460800, 921600, 57600, 19200, 2400};
  // Time at one speed: long enough for a receiver that sends once a second to send twice.
  static constexpr int64_t kDwellMs = 2200;
  // Good sentences that prove a speed.
  static constexpr int kProof = 2;

  // Begins at `first` when it is one of kSpeeds (the speed found before), else at the first.
  void Start(uint32_t first, int64_t nowMs);
  void Stop() { Hunting_ = false; }
  bool Hunting() const { return Hunting_; }
  // The speed to set the line to.
  uint32_t Speed() const { return kSpeeds[At]; }
  // Bytes read at Speed(). True when they prove it; the hunt is then over.
  bool Feed(std::string_view bytes);
  // True when the time at Speed() ran out and Speed() moved on to the next one.
  bool Tick(int64_t nowMs);

private:
  void Next(int64_t nowMs);

  bool Hunting_ = false;
  size_t At = 0;
  int64_t Since = 0;
  int Good = 0;
  std::string Line;  // the line under way, from its "$"
  bool InLine = false;
};

}  // namespace orvane
