// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-nmea's default output: what the data monitor and the sky view would show, as text.
#pragma once

#include <cstdint>
#include <string>

#include "nmea/NmeaDisplay.h"
#include "nmea/NmeaRec.h"
#include "nmea/ReportOut.h"

namespace orvane {

// After each GGA, GLL, RMC, GST and GBS the monitor's block, after each GSV cycle the satellite table, and
// the fix caption when it changes.
class TTextDisplay : public TNullDisplay {
public:
  TTextDisplay(const TNmeaRec& rec, TOut& out) : Rec(rec), Out(out) {}

  bool WantsBlocks() const override { return true; }
  bool WantsEveryLine() const override { return true; }
  void ShowGGA(const std::string& block) override { Block(block); }
  void ShowGLL(const std::string& block) override { Block(block); }
  void ShowRMC(const std::string& block) override { Block(block); }
  void ShowAccuracy(const std::string& block) override { Block(block); }
  void ShowReceiverText(const std::string& text) override { Out.buf += text + "\n\n"; }
  void SetFixCaption(const std::string& caption) override {
    if (HaveCaption && caption == Caption) return;
    HaveCaption = true;
    Caption = caption;
    Out.buf += "Fix: " + caption + "\n\n";
  }
  // The visibility refresh, satellite 1 to 24 (64 with Gnss on), ends each GSV cycle.
  void SetSatVisible(int index, bool) override {
    if (index == SatLimit(Rec)) SatTable();
  }

private:
  void Block(const std::string& block);
  void SatTable();

  // As printf's %*d: right-aligned in `width` characters.
  void Padded(int32_t v, size_t width);

  const TNmeaRec& Rec;
  TOut& Out;
  std::string Caption;
  bool HaveCaption = false;
};

}  // namespace orvane
