// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing styles of the national-land layers, one [METADEF] entry each: "N01-0=..." gives
// style 0 of every file whose name begins with N01. The line and the point layers build their
// own tables by the same rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Color.h"

namespace orvane {

struct TMetaStyle {
  std::string Name;     // not used in drawing
  double MinScale = 0;  // pixels per tenth of an arc-second below which the style is hidden
  int32_t PenWidth = 0;
  TColor Color = 0;
  double Extra[3] = {};  // read, not used
  bool Defined = false;  // false for an index no entry gave
};

// The first three bytes of a data file's name, without its folder.
std::string MetaPrefix(const std::string& dataPath);

// The entries of `metaDef` ("name=value" lines) whose first three bytes equal `prefix`, each
// stored at the index between its first hyphen and its "=", in a table as long as there are such
// entries; an index outside the table is passed over. The value holds seven items: name, minimum
// scale, pen width, colour ("$" for hexadecimal), three reals. An entry whose index or items do
// not convert, or that has fewer than seven, throws EConvertError naming the entry.
std::vector<TMetaStyle> BuildMetaStyles(const std::vector<std::string>& metaDef, std::string_view prefix);

// The style at `index`, or null when the table has no entry there.
inline const TMetaStyle* StyleAt(const std::vector<TMetaStyle>& styles, unsigned index) {
  return index < styles.size() && styles[index].Defined ? &styles[index] : nullptr;
}

}  // namespace orvane
