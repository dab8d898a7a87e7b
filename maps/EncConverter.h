// The external program that turns an S-57 chart cell into the text the chart layer reads. The
// window side starts it as a separate process; tests stand in a fake that writes prepared text.
#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

class TEncConverter {
public:
  virtual ~TEncConverter() = default;
  // Converts `chart` into the text file `output` and returns once the converter has ended,
  // whatever its exit code: whether it wrote the file is the reader's question. While it runs,
  // the program's events keep being processed. Throws std::runtime_error with the message
  // "実行できません (" + reason + ")" when the converter cannot be started.
  virtual void Convert(const std::string& chart, const std::string& output) = 0;
};

// The message of a converter that could not be started.
inline std::string CannotRunMessage(const std::string& reason) { return "実行できません (" + reason + ")"; }

}  // namespace orvane
