// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/ReportText.h"

#include <charconv>
#include <string_view>

#include "nmea/GnssSystems.h"
#include "nmea/NmeaBlocks.h"
#include "nmea/SignalBands.h"

namespace orvane {

void TTextDisplay::Block(const std::string& block) {
  // The monitor's blocks break lines with LF CR; a terminal wants LF.
  const std::string_view br = kBlockLineBreak;
  std::string_view b = block;
  for (size_t at; (at = b.find(br)) != std::string_view::npos; b.remove_prefix(at + br.size()))
    Out.buf.append(b.substr(0, at)).append("\n");
  Out.buf.append(b).append("\n\n");
  Out.MaybeFlush();
}

void TTextDisplay::SatTable() {
  std::string& out = Out.buf;
  out += "Satellites (";
  out += std::to_string(Rec.SatInView);
  // A receiver of several bands: "(31 in view, 58 signals)", each satellite's SNR its strongest
  // and its signals listed after it.
  const bool bands = Rec.SignalsInView > Rec.SatInView;
  if (bands)
    out += " in view, " + std::to_string(Rec.SignalsInView) + " signals)\nPRN  Elev  Azim  SNR  Used  Signals\n";
  else
    out += " in view)\nPRN  Elev  Azim  SNR  Used\n";
  for (const TSatInfo& s : Rec.Sats) {
    if (s.Prn.empty()) continue;
    // As the sky view labels them, so that GPS 12 and Galileo 12 differ.
    const char letter = Rec.Gnss ? SystemLetter(s.System) : '\0';
    if (letter) out += letter;
    out += s.Prn;
    const size_t width = s.Prn.size() + (letter ? 1 : 0);
    if (width < 4) out.append(4 - width, ' ');
    Padded(s.Elevation, 5);
    out += ' ';
    Padded(s.Azimuth, 5);
    out += ' ';
    Padded(s.Snr, 4);
    out += s.Used ? "  yes" : "  no";
    if (bands) {
      out += s.Used ? "  " : "   ";
      for (size_t i = 0; i < s.Signals.size(); ++i)
        out.append(i ? ", " : " ")
            .append(BandLabel(s.System, s.Signals[i].Id))
            .append(" ")
            .append(std::to_string(s.Signals[i].Snr));
    }
    out += '\n';
  }
  out += '\n';
  Out.MaybeFlush();
}

// As printf's %*d: right-aligned in `width` characters.
void TTextDisplay::Padded(int32_t v, size_t width) {
  char digits[16];
  const size_t n = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, v).ptr - digits);
  if (n < width) Out.buf.append(width - n, ' ');
  Out.buf.append(digits, n);
}

}  // namespace orvane
