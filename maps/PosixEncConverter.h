// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter for the command-line tools: `marlisk -- CHART OUTPUT` started as a child
// process with an argument list (no shell), found by ConverterPath. A tool has no events to keep
// running, so it simply blocks on the converter's standard error and then in waitpid.
#pragma once

#include <string>

#include "maps/EncConverter.h"

namespace orvane {

class TPosixEncConverter : public TEncConverter {
public:
  void Convert(const std::string& chart, const std::string& output) override;
};

}  // namespace orvane
