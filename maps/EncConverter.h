// SPDX-License-Identifier: GPL-3.0-or-later
// The external program that turns an S-57 chart cell into the text the chart layer reads. The
// window side starts it as a separate process; tests stand in a fake that writes prepared text.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

class TEncConverter {
public:
  virtual ~TEncConverter() = default;
  // Converts `chart` into the text file `output` and returns once the converter has ended well.
  // While it runs, the program's events keep being processed. Throws std::runtime_error with
  // the message "実行できません (" + reason + ")" when the converter cannot be started, and with
  // ConverterFailure's message when it ends with a non-zero status or by a signal.
  virtual void Convert(const std::string& chart, const std::string& output) = 0;
};

// The converter program this run uses: "marlisk" beside the program when there, else the first
// executable "marlisk" on PATH (an empty entry is the current folder); empty when none is found.
std::string ConverterPath();

// The message of a converter that could not be started.
inline std::string CannotRunMessage(const std::string& reason) { return "実行できません (" + reason + ")"; }

// What the converter says on standard error is kept up to this many bytes; the rest is read and
// dropped, so a converter that talks without end neither blocks nor fills the memory.
inline constexpr size_t kConverterErrorLimit = 4096;

// Appends `more` to `kept` up to kConverterErrorLimit bytes in all.
inline void KeepConverterErrors(std::string& kept, std::string_view more) {
  if (kept.size() < kConverterErrorLimit) kept.append(more.substr(0, kConverterErrorLimit - kept.size()));
}

// How the converter ended: by itself with `code`, or killed by signal `code`.
struct TConverterEnd {
  bool Signalled = false;
  int Code = 0;
  std::string Errors;  // its standard error, at most kConverterErrorLimit bytes
  bool Failed() const { return Signalled || Code != 0; }
};

// The first line of the converter's reason: its first line that is not a warning, without the
// program's name in front; "no message" when it said nothing.
std::string ConverterReason(std::string_view errors);

// "marlisk failed on "CHART" (exit status 1): reason" or "(killed by signal 11, Segmentation fault)".
std::string ConverterFailure(const std::string& chart, const TConverterEnd& end);

}  // namespace orvane
