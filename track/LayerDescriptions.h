// SPDX-License-Identifier: GPL-3.0-or-later
// What the map tool prints of a loaded layer beyond its own description: the styles of the
// national-land layers, the Digital Map 2500 area's missing sections, the chart's classes and
// names. Each is a row's Describe in the layer table.
#pragma once

#include "maps/MapLayer.h"
#include "track/LayerKinds.h"

namespace orvane {

// A line or point layer: its description, then the [METADEF] styles its records use.
TLayerDescription DescribeStyledLayer(const TMapLayer& layer, const TDescribeWith& with);
// A Digital Map 2500 area, with a note when the KDD sections were not read.
TLayerDescription DescribeKddLayer(const TMapLayer& layer, const TDescribeWith& with);
// A chart: its description, the classes drawn and the feature names.
TLayerDescription DescribeEncLayer(const TMapLayer& layer, const TDescribeWith& with);

}  // namespace orvane
