// SPDX-License-Identifier: GPL-3.0-or-later
// [METADEF] style tables from any section lines and any file name: no crash, a table no longer
// than the entries for the prefix, and every refusal an EConvertError naming the entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/HostConv.h"
#include "maps/MetaStyle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The first line names the data file; the rest are the section's lines.
  const size_t first = text.find('\n');
  const std::string path(text.substr(0, first));
  text = first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  const std::string prefix = orvane::MetaPrefix(path);
  if (prefix.size() > 3) std::abort();
  try {
    const std::vector<orvane::TMetaStyle> styles = orvane::BuildMetaStyles(lines, prefix);
    if (styles.size() > lines.size()) std::abort();
    for (unsigned i = 0; i <= styles.size(); ++i) {
      const orvane::TMetaStyle* s = orvane::StyleAt(styles, i);
      if (s && !s->Defined) std::abort();
    }
    // Every other file's table from the same lines.
    for (const char* other : {"N01", "N03", "P01", ""}) orvane::BuildMetaStyles(lines, other);
  } catch (const orvane::EConvertError& e) {
    if (std::string_view(e.what()).find("[METADEF] entry") == std::string_view::npos) std::abort();
  }
  return 0;
}
