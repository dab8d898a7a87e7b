// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter as a separate process: `marlisk -- CHART OUTPUT`, found by ConverterPath. Arguments go as a list,
// never through a shell, so any path is safe.
#pragma once

#include <string>

#include "maps/EncConverter.h"

namespace orvane {

class TQtEncConverter : public TEncConverter {
public:
  // Waits in a local event loop, so the windows keep painting and no core is burnt meanwhile;
  // a load called off (LoadCancel.h) kills the converter and throws ELoadCancelled.
  void Convert(const std::string& chart, const std::string& output) override;
};

}  // namespace orvane
