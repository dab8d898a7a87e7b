// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-map info: each map file's kind, counts, extent and datum as its own layer tells them.
#include <sys/stat.h>

#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "common/ProgramFolder.h"
#include "common/ShiftJis.h"
#include "gui/QtCanvas.h"
#include "maps/LayerDescription.h"
#include "maps/MapBitmap.h"
#include "maps/MapFile.h"
#include "maps/MetaStyle.h"
#include "maps/UCoastLine.h"
#include "maps/UEncMap.h"
#include "maps/UKddMap.h"
#include "maps/UVectLine.h"
#include "maps/UVectPoint.h"
#include "maps/UWaypnt.h"
#include "nmea/NmeaRec.h"
#include "settings/Settings.h"
#include "tools/PosixEncConverter.h"
#include "tools/ToolArgs.h"
#include "tools/orvane-map.h"
#include "track/MapLayerObjects.h"
#include "track/TrackState.h"

namespace orvane::maptool {
namespace {

std::string Deg(double v) { return FormatFixed(v, 6); }

void Out(const std::string& key, const std::string& value) { std::printf("  %s: %s\n", key.c_str(), value.c_str()); }

std::string StyleText(const TMetaStyle& s) {
  return "'" + SjisToUtf8(s.Name) + "', min scale " + FormatShortest(s.MinScale) + ", pen width " +
         std::to_string(s.PenWidth) + ", colour " + FormatColor(s.Color);
}

// The [METADEF] styles of the file's prefix, with how many records use each.
void PrintStyles(const std::string& path, const std::vector<TMetaStyle>& styles, const std::map<unsigned, int>& used,
                 bool haveSettings) {
  const std::string prefix = MetaPrefix(path);
  if (!haveSettings) {
    Out("styles", "none read ([METADEF] needs --settings)");
    return;
  }
  int defined = 0;
  for (const TMetaStyle& s : styles) defined += s.Defined;
  Out("styles", std::to_string(defined) + " of prefix " + prefix);
  for (unsigned i = 0; i < styles.size(); ++i) {
    if (!styles[i].Defined) continue;
    const auto u = used.find(i);
    std::printf("    %s-%u: %s; %d records\n", prefix.c_str(), i, StyleText(styles[i]).c_str(),
                u == used.end() ? 0 : u->second);
  }
  for (const auto& [index, count] : used)
    if (!StyleAt(styles, index))
      std::printf("    %s-%u: no entry (not drawn); %d records\n", prefix.c_str(), index, count);
}

void Print(const TLayerDescription& d) {
  for (const TLayerFact& f : d.Counts) Out(f.Name, f.Value);
  if (!d.Extent) {
    Out("extent", "none");
  } else {
    const TViewBox& b = *d.Extent;
    Out("extent", "west " + Deg(b.West) + ", south " + Deg(b.South) + ", east " + Deg(b.East) + ", north " +
                      Deg(b.North) + (d.ExtentDatum.empty() ? "" : " (" + d.ExtentDatum + ")"));
  }
  Out("datum", d.Datum);
  for (const TLayerFact& f : d.Details) Out(f.Name, f.Value);
}

// A national-land layer: its description, then the [METADEF] styles its records use.
template <class TLayer>
void DescribeStyled(TLayer& layer, const std::string& path, bool haveSettings) {
  layer.Load(path);
  const TLayerDescription d = layer.Describe();
  Print(d);
  PrintStyles(path, layer.Styles(), d.StyleUse, haveSettings);
}

[[noreturn]] void NoFile(const std::string& path) {
  throw EMapFileError("Cannot open file \"" + path + "\": no such file");
}

void InfoBitmap(const std::string& path) {
  TQtImage image;
  TMapBitmap bitmap(image);
  switch (bitmap.Load(path)) {
    case TBitmapLoad::HdrNotFound:
      throw EMapFileError(".HDR File not found: " + HdrFileName(path));
    case TBitmapLoad::WrongHdr:
      throw EMapFileError("Wrong HDR: " + HdrFileName(path));
    case TBitmapLoad::Loaded:
      break;
  }
  Print(bitmap.Describe(TrackState.MapDatum));
}

void InfoKdd(TKddMap& layer, const std::string& folder) {
  if (!layer.Load(folder)) {
    const std::optional<std::string> meta = TKddMap::MetadataFileName(folder);
    throw EMapFileError(meta ? "Cannot open file \"" + *meta + "\": no metadata file of the area"
                             : folder + ": a folder given with a trailing \"/\" has no metadata file");
  }
  if (TrackState.KddArcList.empty() && TrackState.KddPgnList.empty() && TrackState.KddPntList.empty())
    Out("sections", "none read: the [KDDARC], [KDDPGN] and [KDDPNT] files need --settings");
  Print(layer.Describe());
}

void InfoEnc(const TEncMap& layer) {
  const TLayerDescription d = layer.Describe();
  Print(d);
  Out("classes", std::to_string(d.StyleUse.size()) + " drawn by " + kEncClassTableName);
  for (const auto& [code, count] : d.StyleUse) {
    const std::string name = code > 0 && code <= kEncClassCount ? layer.Classes()[code].Name : std::string("?");
    std::printf("    %u %s: %d features\n", code, name.c_str(), count);
  }
  // Names as the chart gives them, each once, with the class of its first feature.
  std::map<std::string, int32_t> names;
  for (const TEncSpot& p : layer.Spots()) names.emplace(p.Attributes.Objnam, p.ObjClass);
  for (const TEncShape& l : layer.LineShapes()) names.emplace(l.Attributes.Objnam, l.ObjClass);
  for (const TEncKeyedShape& a : layer.Areas()) names.emplace(a.Shape.Attributes.Objnam, a.Shape.ObjClass);
  names.erase("");
  Out("names", std::to_string(names.size()));
  constexpr size_t kShown = 40;
  size_t shown = 0;
  for (const auto& [name, code] : names) {
    if (shown++ == kShown) {
      std::printf("    ... and %zu more\n", names.size() - kShown);
      break;
    }
    std::printf("    %s (%s)\n", name.c_str(), layer.Classes()[static_cast<size_t>(code)].Name.c_str());
  }
}

// A folder where a folder is expected, a regular file everywhere else; a pipe or a device is
// refused before anything opens it.
void CheckPath(TKind kind, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;  // the layer names the file and the cause
  if (kind == TKind::Kdd ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)) return;
  throw EMapFileError("Cannot open file \"" + path + "\": " +
                      (kind == TKind::Kdd    ? "not a folder"
                       : S_ISDIR(st.st_mode) ? "a folder"
                                             : "not a regular file"));
}

void Describe(TKind kind, const std::string& path, bool haveSettings) {
  const auto warn = [](const std::string& text) { Warn(text); };
  switch (kind) {
    case TKind::Line: {
      TVectLine layer(TrackState.MetaDefList, warn);
      DescribeStyled(layer, path, haveSettings);
      break;
    }
    case TKind::Point: {
      TVectPoint layer(TrackState.MetaDefList);
      DescribeStyled(layer, path, haveSettings);
      break;
    }
    case TKind::Waypoint: {
      TWayPnt layer(TrackState.MapDatum, NmeaRec.WpLineColor);
      if (!layer.Load(path)) NoFile(path);
      Print(layer.Describe());
      break;
    }
    case TKind::Coastline: {
      TCoastLine layer(NmeaRec.CoLineColor);
      if (!layer.Load(path)) NoFile(path);
      Print(layer.Describe());
      break;
    }
    case TKind::Bitmap:
      InfoBitmap(path);
      break;
    case TKind::Kdd: {
      const TKddSettings settings{TrackState.KddArcList, TrackState.KddAtrList, TrackState.KddPgnList,
                                  TrackState.KddPntList, TrackState.MapDatum,   NmeaRec.BGColor};
      TKddMap layer(settings);
      InfoKdd(layer, path);
      break;
    }
    case TKind::Enc: {
      TPosixEncConverter converter;
      TEncMap layer(converter, EncClassTablePath(ProgramFolder()));
      layer.Load(path);
      InfoEnc(layer);
      break;
    }
  }
}

}  // namespace

int Info(const std::vector<std::string>& args) {
  std::string kind, settings;
  std::vector<std::string> paths;
  TToolArgs a(args);
  while (a.Next()) {
    if (a.Is("--kind")) {
      kind = a.Value();
    } else if (a.Is("--settings")) {
      settings = a.Value();
    } else if (a.Arg().starts_with("--") && a.Arg().size() > 2) {
      throw EUsage("unknown option " + a.Arg());
    } else {
      paths.push_back(a.Arg());
    }
  }
  if (paths.empty()) throw EUsage("info needs at least one PATH");
  const std::optional<TKind> given = kind.empty() ? std::nullopt : std::optional<TKind>(ParseKind(kind));
  if (!settings.empty()) LoadSettingsFile(settings);
  int status = 0;
  for (const std::string& path : paths) {
    try {
      const TKind k = given ? *given : KindOf(path);
      CheckPath(k, path);
      std::printf("%s\n", path.c_str());
      Out("kind", KindName(k));
      Describe(k, path, !settings.empty());
    } catch (const std::exception& e) {
      // The other paths are still described; the exit status says one failed.
      std::fflush(stdout);
      std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
      status = 1;
    }
  }
  return status;
}

}  // namespace orvane::maptool
