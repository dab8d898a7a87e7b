// What the decoders and the sentence processor show, and where they write the log. The main
// window, the sky view and the data monitor implement these; tests record the calls.
#pragma once

#include <string>
#include <string_view>

#include "common/Color.h"

namespace orvane {

class TNmeaDisplay {
public:
  virtual ~TNmeaDisplay() = default;
  // Satellite `index` (1..24) of the sky view moves to its elevation and azimuth and shows its SNR.
  virtual void PlaceSatellite(const std::string& prn, int index, int elevation, int azimuth, int snr) = 0;
  // Shows or hides satellite `index`: its symbol, then its PRN label, then its SNR label.
  virtual void SetSatVisible(int index, bool visible) = 0;
  virtual void SetSatColor(int index, TColor color) = 0;
  virtual void SetFixCaption(const std::string& caption) = 0;  // lblFIX
  // The data monitor's blocks; lines are separated by LF CR. Building them costs more than the
  // decoding, so a display that shows none of them says so and is not handed any.
  virtual bool WantsBlocks() const { return true; }
  virtual void ShowGGA(const std::string& block) = 0;
  virtual void ShowGLL(const std::string& block) = 0;
  virtual void ShowRMC(const std::string& block) = 0;
  // lblRecv; the text lives only for the call.
  virtual void SetRecvCaption(std::string_view sentence) = 0;
};

// Shows nothing: for decoding without a window.
class TNullDisplay : public TNmeaDisplay {
public:
  void PlaceSatellite(const std::string&, int, int, int, int) override {}
  void SetSatVisible(int, bool) override {}
  void SetSatColor(int, TColor) override {}
  void SetFixCaption(const std::string&) override {}
  bool WantsBlocks() const override { return false; }
  void ShowGGA(const std::string&) override {}
  void ShowGLL(const std::string&) override {}
  void ShowRMC(const std::string&) override {}
  void SetRecvCaption(std::string_view) override {}
};

// The log recorder as the sentence processor sees it.
class TNmeaLogWriter {
public:
  virtual ~TNmeaLogWriter() = default;
  // The sentences handled now are to be written.
  virtual bool SaveNow() const = 0;
  // Opens the log when it is not open yet and writes one line (the sentence, then CR LF). True
  // when the line reached the file; a failure is the writer's to report.
  virtual bool WriteLogLine(const std::string& sentence) = 0;
};

}  // namespace orvane
