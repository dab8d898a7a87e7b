// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/MetaStyle.h"

#include "common/HostConv.h"
#include "common/SplitCommaText.h"

namespace orvane {

std::string MetaPrefix(const std::string& dataPath) {
  const size_t slash = dataPath.rfind('/');
  const std::string name = slash == std::string::npos ? dataPath : dataPath.substr(slash + 1);
  return name.substr(0, 3);
}

std::vector<TMetaStyle> BuildMetaStyles(const std::vector<std::string>& metaDef, std::string_view prefix) {
  const auto mine = [prefix](const std::string& entry) { return std::string_view(entry).substr(0, 3) == prefix; };
  size_t count = 0;
  for (const std::string& entry : metaDef) count += mine(entry) ? 1 : 0;
  std::vector<TMetaStyle> styles(count);

  std::vector<std::string> items;
  for (const std::string& entry : metaDef) {
    if (!mine(entry)) continue;
    const auto bad = [&entry](const std::string& what) {
      return EConvertError("[METADEF] entry \"" + entry + "\": " + what);
    };
    const size_t hyphen = entry.find('-');
    const size_t equals = entry.find('=');
    if (hyphen == std::string::npos || equals == std::string::npos || equals < hyphen)
      throw bad("no style index between \"-\" and \"=\"");
    int32_t index = 0;
    const std::string_view indexText = std::string_view(entry).substr(hyphen + 1, equals - hyphen - 1);
    if (!TryStrToInt(indexText, index)) throw bad("'" + std::string(indexText) + "' is not a valid integer value");
    SplitCommaText(std::string_view(entry).substr(equals + 1), items);
    if (items.size() < 7) throw bad("seven items wanted, " + std::to_string(items.size()) + " found");
    TMetaStyle s;
    s.Name = items[0];
    double reals[4] = {};
    const size_t realAt[4] = {1, 4, 5, 6};
    for (int k = 0; k < 4; ++k)
      if (!TryStrToFloat(items[realAt[k]], reals[k]))
        throw bad("'" + items[realAt[k]] + "' is not a valid floating point value");
    for (size_t k : {size_t{2}, size_t{3}}) {
      int32_t v = 0;
      if (!TryStrToInt(items[k], v)) throw bad("'" + items[k] + "' is not a valid integer value");
      (k == 2 ? s.PenWidth : s.Color) = v;
    }
    s.MinScale = reals[0];
    s.Extra[0] = reals[1];
    s.Extra[1] = reals[2];
    s.Extra[2] = reals[3];
    s.Defined = true;
    if (index >= 0 && static_cast<size_t>(index) < count) styles[static_cast<size_t>(index)] = std::move(s);
  }
  return styles;
}

}  // namespace orvane
