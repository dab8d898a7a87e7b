// SPDX-License-Identifier: GPL-3.0-or-later
#include "track/LayerDescriptions.h"

#include <cstdio>
#include <map>

#include "common/HostConv.h"
#include "common/ShiftJis.h"
#include "maps/MetaStyle.h"
#include "maps/UEncMap.h"
#include "maps/UKddMap.h"
#include "maps/UVectLine.h"
#include "maps/UVectPoint.h"

namespace orvane {
namespace {

constexpr const char* kIndent = "  ";  // under the listing's own line

std::string StyleText(const TMetaStyle& s) {
  return "'" + SjisToUtf8(s.Name) + "', min scale " + FormatShortest(s.MinScale) + ", pen width " +
         std::to_string(s.PenWidth) + ", colour " + FormatColor(s.Color);
}

// The [METADEF] styles of the file's prefix, with how many records use each.
TLayerListing StyleListing(const std::string& path, const std::vector<TMetaStyle>& styles,
                           const std::map<unsigned, int>& used, const TDescribeWith& with) {
  const std::string prefix = MetaPrefix(path);
  if (!with.DefinitionsRead) return {{"styles", "none read ([METADEF] needs " + with.DefinitionsOption + ")"}, {}};
  int defined = 0;
  for (const TMetaStyle& s : styles) defined += s.Defined;
  TLayerListing listing{{"styles", std::to_string(defined) + " of prefix " + prefix}, {}};
  const auto item = [&](unsigned index, const std::string& text, int count) {
    listing.Lines.push_back(kIndent + prefix + "-" + std::to_string(index) + ": " + text + "; " +
                            std::to_string(count) + " records");
  };
  for (unsigned i = 0; i < styles.size(); ++i) {
    if (!styles[i].Defined) continue;
    const auto u = used.find(i);
    item(i, StyleText(styles[i]), u == used.end() ? 0 : u->second);
  }
  for (const auto& [index, count] : used)
    if (!StyleAt(styles, index)) item(index, "no entry (not drawn)", count);
  return listing;
}

}  // namespace

TLayerDescription DescribeStyledLayer(const TMapLayer& layer, const TDescribeWith& with) {
  TLayerDescription d = layer.Describe();
  const auto* line = dynamic_cast<const TVectLine*>(&layer);
  const auto* point = dynamic_cast<const TVectPoint*>(&layer);
  if (line || point)
    d.Listings.push_back(StyleListing(with.Path, line ? line->Styles() : point->Styles(), d.StyleUse, with));
  return d;
}

TLayerDescription DescribeKddLayer(const TMapLayer& layer, const TDescribeWith& with) {
  TLayerDescription d = layer.Describe();
  if (!with.DefinitionsRead)
    d.Notes.push_back(
        {"sections", "none read: the [KDDARC], [KDDPGN] and [KDDPNT] files need " + with.DefinitionsOption});
  return d;
}

TLayerDescription DescribeEncLayer(const TMapLayer& layer, const TDescribeWith&) {
  TLayerDescription d = layer.Describe();
  const auto* chart = dynamic_cast<const TEncMap*>(&layer);
  if (!chart) return d;
  TLayerListing classes{{"classes", std::to_string(d.StyleUse.size()) + " drawn by " + kEncClassTableFile}, {}};
  for (const auto& [code, count] : d.StyleUse) {
    const std::string name = code > 0 && code <= kEncClassCount ? chart->Classes()[code].Name : std::string("?");
    classes.Lines.push_back(kIndent + std::to_string(code) + " " + name + ": " + std::to_string(count) + " features");
  }
  d.Listings.push_back(std::move(classes));
  // Names as the chart gives them, each once, with the class of its first feature.
  std::map<std::string, int32_t> names;
  for (const TEncSpot& p : chart->Spots()) names.emplace(p.Attributes.Objnam, p.ObjClass);
  for (const TEncShape& l : chart->LineShapes()) names.emplace(l.Attributes.Objnam, l.ObjClass);
  for (const TEncKeyedShape& a : chart->Areas()) names.emplace(a.Shape.Attributes.Objnam, a.Shape.ObjClass);
  names.erase("");
  TLayerListing named{{"names", std::to_string(names.size())}, {}};
  constexpr size_t kShown = 40;
  for (const auto& [name, code] : names) {
    if (named.Lines.size() == kShown) {
      named.Lines.push_back(std::string(kIndent) + "... and " + std::to_string(names.size() - kShown) + " more");
      break;
    }
    named.Lines.push_back(kIndent + name + " (" + chart->Classes()[static_cast<size_t>(code)].Name + ")");
  }
  d.Listings.push_back(std::move(named));
  return d;
}

}  // namespace orvane
