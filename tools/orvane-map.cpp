// The map layers without the program: what a map file holds (info), the track window's drawing of
// a settings file's layers as a PNG (render), and the plane rectangular conversion (plane). Every
// reader, the drawing and the settings are the program's own, so what this shows is what the
// program shows.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "common/HostConv.h"
#include "common/ProgramFolder.h"
#include "common/SplitCommaText.h"
#include "geodrel.h"
#include "gui/QtCanvas.h"
#include "gui/UTrackForm.h"
#include "maps/MapBitmap.h"
#include "maps/MapFile.h"
#include "maps/MetaStyle.h"
#include "maps/PlaneRect.h"
#include "nmea/NmeaRec.h"
#include "settings/Settings.h"
#include "tools/PosixEncConverter.h"
#include "tools/ToolArgs.h"
#include "track/MapLayerObjects.h"
#include "track/MapLayers.h"
#include "track/TrackPlot.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

namespace orvane {
namespace {

constexpr const char* kProgram = "orvane-map";

const char* const kHelp =
    "Usage: orvane-map info [--kind KIND] [--settings FILE] PATH...\n"
    "       orvane-map render --settings FILE (--view WEST,SOUTH,EAST,NORTH | --center LAT,LON --zoom Z)\n"
    "                         [--size WxH] -o OUT.png\n"
    "       orvane-map plane ZONE X Y\n"
    "       orvane-map plane --inverse ZONE LAT LON\n"
    "\n"
    "info     describes each map file: its kind, record and vertex counts, extent in decimal\n"
    "         degrees, datum, and with --settings the [METADEF] styles that apply. The kind comes\n"
    "         from the name (a folder is a Digital Map 2500 area, *.000 a chart cell, N01/N03/C23\n"
    "         line files, P02 point files, *.WPT/*.TRK and picture files by extension) and\n"
    "         otherwise from the content; --kind line|point|waypoint|coastline|bitmap|kdd|enc\n"
    "         sets it. A chart is converted by the marlisk beside this program or on PATH.\n"
    "render   draws the layers FILE configures as the track window does (background, bitmap,\n"
    "         every layer in the window's order, the grid and its labels) into a PNG.\n"
    "         --center LAT,LON and --zoom Z (1 to 17) give exactly the window's view at that\n"
    "         centre and zoom; --view picks the highest zoom whose view holds the box (zoom 1 when\n"
    "         none does), centred on the box. Degrees are decimal, in the map datum. The size\n"
    "         defaults to the track window's, 485x305. QT_QPA_PLATFORM defaults to offscreen.\n"
    "plane    plane rectangular X (north) and Y (east) in metres of ZONE (1 to 19) to latitude and\n"
    "         longitude in degrees on the Bessel ellipsoid; --inverse the other way.\n"
    "\n"
    "Exit status: 0 done, 1 a file or value could not be used, 2 a wrong command line.\n";

// A command line that cannot be followed; the exit status 2.
class EUsage : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::string Deg(double v) { return FormatFixed(v, 6); }

std::string Extent(double west, double south, double east, double north) {
  return "west " + Deg(west) + ", south " + Deg(south) + ", east " + Deg(east) + ", north " + Deg(north);
}

void Out(const std::string& key, const std::string& value) { std::printf("  %s: %s\n", key.c_str(), value.c_str()); }

void Warn(const std::string& text) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, text.c_str()); }

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Extension(const std::string& path) {
  const size_t slash = path.rfind('/'), dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Upper(path.substr(dot + 1));
}

// ---- the kind of a file -------------------------------------------------------------------------

enum class TKind { Line, Point, Waypoint, Coastline, Bitmap, Kdd, Enc };

struct TKindName {
  TKind Kind;
  const char* Name;
};
constexpr TKindName kKinds[] = {{TKind::Line, "line"},
                                {TKind::Point, "point"},
                                {TKind::Waypoint, "waypoint"},
                                {TKind::Coastline, "coastline"},
                                {TKind::Bitmap, "bitmap"},
                                {TKind::Kdd, "kdd"},
                                {TKind::Enc, "enc"}};

const char* KindName(TKind k) {
  for (const TKindName& n : kKinds)
    if (n.Kind == k) return n.Name;
  return "?";
}

TKind ParseKind(const std::string& s) {
  for (const TKindName& n : kKinds)
    if (s == n.Name) return n.Kind;
  throw EUsage("unknown kind '" + s + "' (line, point, waypoint, coastline, bitmap, kdd or enc)");
}

// From the content when the name does not say: the national-land header or its "L" and "P"
// records, the waypoint formats' record tags, else the coastline's plain number pairs.
TKind KindFromContent(const std::string& path) {
  // The first 64 KB say enough; a large file is read whole only once, by its layer.
  std::string data(1 << 16, '\0');
  {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) ReadMapFile(path);  // throws, naming the file and the cause
    data.resize(f ? std::fread(data.data(), 1, data.size(), f) : 0);
    if (f) std::fclose(f);
  }
  TLineReader in(data);
  std::string_view line;
  int lines = 0, points = 0, tags = 0;
  std::vector<std::string> items;
  while (in.Next(line)) {
    if (in.LineNo() == 1) {
      const std::string_view header = Columns(line, 4, 13);
      if (header.starts_with("NLA") || header.starts_with("GSI")) return TKind::Line;
    }
    if (line.starts_with("L") && line.size() >= 51) ++lines;
    if (line.starts_with("P") && line.size() >= 73) ++points;
    SplitCommaText(line, items);
    if (!items.empty()) {
      const std::string tag = Upper(items[0]);
      if (tag == "DATUM" || tag == "WP" || tag == "TP") ++tags;
    }
  }
  if (lines > 0 && lines >= points) return TKind::Line;
  if (points > 0) return TKind::Point;
  if (tags > 0) return TKind::Waypoint;
  return TKind::Coastline;
}

TKind KindOf(const std::string& path) {
  if (IsFolder(path)) return TKind::Kdd;
  const std::string ext = Extension(path);
  if (ext == "000") return TKind::Enc;
  if (ext == "WPT" || ext == "TRK") return TKind::Waypoint;
  for (const char* e : {"BMP", "PNG", "JPG", "JPEG", "GIF", "TIF", "TIFF"})
    if (ext == e) return TKind::Bitmap;
  const std::string prefix = Upper(MetaPrefix(path));
  if (prefix == "N01" || prefix == "N03" || prefix == "C23") return TKind::Line;
  if (prefix == "P02") return TKind::Point;
  return KindFromContent(path);
}

// ---- info ---------------------------------------------------------------------------------------

std::string StyleText(const TMetaStyle& s) {
  return "'" + s.Name + "', min scale " + FormatShortest(s.MinScale) + ", pen width " + std::to_string(s.PenWidth) +
         ", colour " + FormatColor(s.Color);
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

void InfoLine(const std::string& path, bool haveSettings) {
  TVectLine layer(TrackState.MetaDefList, [](const std::string& text) { Warn(text); });
  layer.Load(path);
  size_t vertices = 0;
  int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
  std::map<unsigned, int> used;
  for (const TLineRec& l : layer.Lines()) {
    vertices += static_cast<size_t>(l.Count);
    ++used[l.Style];
    if (l.Count == 0) continue;
    minX = std::min(minX, l.MinX), minY = std::min(minY, l.MinY);
    maxX = std::max(maxX, l.MaxX), maxY = std::max(maxY, l.MaxY);
  }
  Out("lines", std::to_string(layer.Lines().size()));
  Out("vertices", std::to_string(vertices));
  Out("extent", vertices ? Extent(minX / 36000.0, minY / 36000.0, maxX / 36000.0, maxY / 36000.0) : "none");
  Out("datum", "as read (drawn in the map datum without conversion)");
  const std::optional<std::string> attr = TVectLine::AttributeFileName(path);
  Out("attributes",
      layer.AttributesLoaded() ? *attr + ", " + std::to_string(layer.Attributes().size()) + " records" : "none");
  PrintStyles(path, layer.Styles(), used, haveSettings);
}

void InfoPoint(const std::string& path, bool haveSettings) {
  TVectPoint layer(TrackState.MetaDefList);
  layer.Load(path);
  std::map<unsigned, int> used;
  int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
  for (const TPointRec& p : layer.Points()) {
    ++used[p.ClassCode];
    minX = std::min(minX, p.X), minY = std::min(minY, p.Y);
    maxX = std::max(maxX, p.X), maxY = std::max(maxY, p.Y);
  }
  Out("points", std::to_string(layer.Points().size()));
  Out("extent",
      layer.Points().empty() ? "none" : Extent(minX / 36000.0, minY / 36000.0, maxX / 36000.0, maxY / 36000.0));
  Out("datum", "as read (drawn in the map datum without conversion)");
  PrintStyles(path, layer.Styles(), used, haveSettings);
}

void InfoCoastline(const std::string& path) {
  TCoastLine layer(NmeaRec.CoLineColor);
  if (!layer.Load(path)) throw EMapFileError("Cannot open file \"" + path + "\": no such file");
  size_t points = 0;
  for (const auto& s : layer.Segments()) points += s.size();
  Out("segments", std::to_string(layer.Segments().size()));
  Out("points", std::to_string(points));
  Out("extent", layer.HasBox() ? Extent(layer.MinLon(), layer.MinLat(), layer.MaxLon(), layer.MaxLat()) : "none");
  Out("datum", "as read (drawn in the map datum without conversion)");
}

void InfoWaypoint(const std::string& path) {
  TWayPnt layer(TrackState.MapDatum, NmeaRec.WpLineColor);
  if (!layer.Load(path)) throw EMapFileError("Cannot open file \"" + path + "\": no such file");
  Out("waypoints", std::to_string(layer.WayPoints().size()));
  Out("track points", std::to_string(layer.TrackPoints().size()));
  bool any = false;
  double w = 0, s = 0, e = 0, n = 0;
  auto widen = [&](double lon, double lat) {
    if (!any) w = e = lon, s = n = lat, any = true;
    w = std::min(w, lon), e = std::max(e, lon), s = std::min(s, lat), n = std::max(n, lat);
  };
  for (const TWayPointRec& p : layer.WayPoints()) widen(p.Lon, p.Lat);
  for (const TTrackFilePoint& p : layer.TrackPoints()) widen(p.Lon, p.Lat);
  Out("extent", any ? Extent(w, s, e, n) + " (" + TrackState.MapDatum + ")" : "none");
  Out("datum", layer.Datum().empty()                  ? "none named (read as the map datum)"
               : layer.Datum() == TrackState.MapDatum ? layer.Datum() + " (the map datum)"
                                                      : layer.Datum() + " (converted to " + TrackState.MapDatum + ")");
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
  const TBitmapGeoref& g = bitmap.Georef();
  Out("header", HdrFileName(path) + ": ULXMAP " + FormatShortest(g.UlxMap) + ", ULYMAP " + FormatShortest(g.UlyMap) +
                    ", XDIM " + FormatShortest(g.XDim) + ", YDIM " + FormatShortest(g.YDim));
  Out("pixels", std::to_string(image.Width()) + " x " + std::to_string(image.Height()));
  Out("extent", Extent(g.UlxMap, g.LryMap, g.LrxMap, g.UlyMap));
  Out("datum", "the map datum (" + TrackState.MapDatum + ")");
}

void InfoKdd(const std::string& folder) {
  const TKddSettings settings{TrackState.KddArcList, TrackState.KddAtrList, TrackState.KddPgnList,
                              TrackState.KddPntList, TrackState.MapDatum,   NmeaRec.BGColor};
  TKddMap layer(settings);
  if (!layer.Load(folder)) {
    const std::optional<std::string> meta = TKddMap::MetadataFileName(folder);
    throw EMapFileError(meta ? "Cannot open file \"" + *meta + "\": no metadata file of the area"
                             : folder + ": a folder given with a trailing \"/\" has no metadata file");
  }
  if (TrackState.KddArcList.empty() && TrackState.KddPgnList.empty() && TrackState.KddPntList.empty())
    Out("sections", "none read: the [KDDARC], [KDDPGN] and [KDDPNT] files need --settings");
  Out("zone", std::to_string(layer.Zone()));
  Out("datum flag", layer.DatumFlag() ? "set (" + layer.DataDatum() + ")" : "not set (Tokyo)");
  Out("arcs", std::to_string(layer.Arcs().size()));
  const auto& types = layer.Types().Pgn;
  for (size_t i = 0; i < layer.Polygons().size(); ++i) {
    size_t n = 0;
    for (const TKddPgn& p : layer.Polygons()[i]) n += !p.TypeCode.empty();
    const std::string file = i < types.size() ? types[i].FileName : std::string();
    if (file.empty() && n == 0) continue;
    Out("polygons of type " + std::to_string(i), std::to_string(n) + (file.empty() ? "" : " (" + file + ")"));
  }
  Out("points", std::to_string(layer.Points().size()));
  const auto& box = layer.Extent();
  Out("extent",
      box ? Extent(box->MinLon, box->MinLat, box->MaxLon, box->MaxLat) + " (" + TrackState.MapDatum + ")" : "none");
}

void InfoEnc(const std::string& chart) {
  TPosixEncConverter converter;
  TEncMap layer(converter, EncClassTablePath(ProgramFolder()));
  layer.Load(chart);
  Out("isolated nodes", std::to_string(layer.IsolatedNodes().size()));
  Out("connected nodes", std::to_string(layer.ConnectedNodes().size()));
  Out("edges", std::to_string(layer.Edges().size()));
  Out("point features", std::to_string(layer.Spots().size()));
  Out("line features", std::to_string(layer.LineShapes().size()));
  Out("area features", std::to_string(layer.Areas().size()));
  Out("scale factors", "COMF " + std::to_string(layer.Comf()) + ", SOMF " + std::to_string(layer.Somf()));
  struct TCounts {
    int Points = 0, Lines = 0, Areas = 0;
  };
  std::map<int32_t, TCounts> classes;
  for (const TEncSpot& s : layer.Spots()) ++classes[s.ObjClass].Points;
  for (const TEncShape& s : layer.LineShapes()) ++classes[s.ObjClass].Lines;
  for (const TEncKeyedShape& a : layer.Areas()) ++classes[a.Shape.ObjClass].Areas;
  Out("classes", std::to_string(classes.size()) + " shown by " + kEncClassTableName);
  for (const auto& [code, c] : classes) {
    const std::string name = code > 0 && code <= kEncClassCount ? layer.Classes()[code].Name : std::string("?");
    std::printf("    %d %s: %d points, %d lines, %d areas\n", code, name.c_str(), c.Points, c.Lines, c.Areas);
  }
}

// Loads FILE as the program loads its settings; a file that is not there is an error here,
// where the program would start with defaults.
void LoadSettingsFile(const std::string& file) {
  if (!MapFileExists(file)) throw EMapFileError("Cannot open file \"" + file + "\": no such settings file");
  SetSettingsFileName(file);
  const TSettingsLoad load = LoadSettings();
  if (!load.ReadError.empty()) throw EMapFileError(load.ReadError);
  for (const std::string& a : load.Adjusted) Warn(file + ": " + a);
}

int Info(const std::vector<std::string>& args) {
  std::string kind, settings;
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--kind" || a == "--settings") {
      if (i + 1 >= args.size()) throw EUsage(a + " needs a value");
      (a == "--kind" ? kind : settings) = args[++i];
    } else if (a.starts_with("--") && a.size() > 2) {
      throw EUsage("unknown option " + a);
    } else {
      paths.push_back(a);
    }
  }
  if (paths.empty()) throw EUsage("info needs at least one PATH");
  const std::optional<TKind> given = kind.empty() ? std::nullopt : std::optional<TKind>(ParseKind(kind));
  if (!settings.empty()) LoadSettingsFile(settings);
  int status = 0;
  for (const std::string& path : paths) {
    try {
      const TKind k = given ? *given : KindOf(path);
      std::printf("%s\n", path.c_str());
      Out("kind", KindName(k));
      switch (k) {
        case TKind::Line:
          InfoLine(path, !settings.empty());
          break;
        case TKind::Point:
          InfoPoint(path, !settings.empty());
          break;
        case TKind::Waypoint:
          InfoWaypoint(path);
          break;
        case TKind::Coastline:
          InfoCoastline(path);
          break;
        case TKind::Bitmap:
          InfoBitmap(path);
          break;
        case TKind::Kdd:
          InfoKdd(path);
          break;
        case TKind::Enc:
          InfoEnc(path);
          break;
      }
    } catch (const std::exception& e) {
      // The other paths are still described; the exit status says one failed.
      std::fflush(stdout);
      std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
      status = 1;
    }
  }
  return status;
}

// ---- render -------------------------------------------------------------------------------------

// The numbers of a comma list, exactly `count` of them.
std::vector<double> NumberList(const std::string& option, const std::string& text, size_t count) {
  std::vector<double> v;
  std::string_view rest(text);
  while (true) {
    const size_t comma = rest.find(',');
    double d = 0;
    if (!ParseNumber(rest.substr(0, comma), d)) throw EUsage(option + ": '" + text + "' is not a list of numbers");
    v.push_back(d);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (v.size() != count) throw EUsage(option + ": " + std::to_string(count) + " numbers wanted, found '" + text + "'");
  return v;
}

// Tells nothing but messages: the window's title and heading label do not exist here.
class THeadlessHost : public TTrackHost {
public:
  void SetCaption(const std::string&) override {}
  void ShowMessage(const std::string& text) override { Warn(text); }
  void HeadingLabelChanged(const THeadingLabel&) override {}
};

// The highest zoom whose view at W x H holds the box; zoom 1 when none does.
int32_t ZoomHolding(double west, double south, double east, double north, int W, int H) {
  for (int32_t z = kZoomMax; z > kZoomMin; --z) {
    const double spanX = W / ScaleTable[z] / 3600, spanY = H / ScaleTable[z] / 3600;
    if (spanX >= east - west && spanY >= north - south) return z;
  }
  return kZoomMin;
}

int Render(int argc, char** argv, const std::vector<std::string>& args) {
  std::string settings, view, center, zoomText, size, out;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* target = a == "--settings" ? &settings
                          : a == "--view"   ? &view
                          : a == "--center" ? &center
                          : a == "--zoom"   ? &zoomText
                          : a == "--size"   ? &size
                          : a == "-o"       ? &out
                                            : nullptr;
    if (!target) throw EUsage("unknown argument " + a);
    if (i + 1 >= args.size()) throw EUsage(a + " needs a value");
    *target = args[++i];
  }
  if (settings.empty()) throw EUsage("render needs --settings FILE");
  if (out.empty()) throw EUsage("render needs -o OUT.png");
  if (view.empty() == center.empty()) throw EUsage("render needs either --view or --center with --zoom");
  if (!center.empty() && zoomText.empty()) throw EUsage("--center needs --zoom");
  if (!view.empty() && !zoomText.empty()) throw EUsage("--zoom goes with --center, not with --view");
  int W = kTrackClientWidth, H = kTrackClientHeight;
  if (!size.empty()) {
    const size_t x = size.find('x');
    if (x == std::string::npos || !ParseNumber(std::string_view(size).substr(0, x), W) ||
        !ParseNumber(std::string_view(size).substr(x + 1), H) || W < 1 || H < 1 || W > 8192 || H > 8192)
      throw EUsage("--size: '" + size + "' is not WxH with each from 1 to 8192");
  }
  double lat = 0, lon = 0;
  int32_t zoom = 0;
  if (!center.empty()) {
    const std::vector<double> c = NumberList("--center", center, 2);
    lat = c[0], lon = c[1];
    if (!ParseNumber(zoomText, zoom) || zoom < kZoomMin || zoom > kZoomMax)
      throw EUsage("--zoom: '" + zoomText + "' is not a zoom from 1 to 17");
  } else {
    const std::vector<double> v = NumberList("--view", view, 4);
    if (!(v[0] < v[2]) || !(v[1] < v[3])) throw EUsage("--view: WEST below EAST and SOUTH below NORTH wanted");
    lon = (v[0] + v[2]) / 2, lat = (v[1] + v[3]) / 2;
    zoom = ZoomHolding(v[0], v[1], v[2], v[3], W, H);
  }
  if (!(lat >= -90 && lat <= 90 && lon >= -180 && lon <= 360)) throw EUsage("the centre lies outside the globe");

  // No display is needed: the canvas paints on an image, and fonts come from the offscreen
  // platform unless the caller chose another.
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  LoadSettingsFile(settings);
  TrackState.CenterB = DegToDms(lat);
  TrackState.CenterL = DegToDms(lon);
  TrackState.Zoom = zoom;

  TQtImage mapImage, markPicture, markBackground;
  TMapBitmap bitmap(mapImage);
  TMapLayers layers(bitmap, TrackState);
  TPosixEncConverter converter;
  TMapLayerObjects objects(
      layers, TrackState, NmeaRec, [](const std::string& text) { Warn(text); }, &converter,
      EncClassTablePath(ProgramFolder()));
  THeadlessHost host;
  TTrackPlot plot(host, markPicture, markBackground, layers, TrackState, NmeaRec);
  plot.View.ApplyZoom();

  layers.BuildMapSet();
  if (layers.Has('E') && !objects.Enc) throw std::runtime_error(objects.EncError);
  const std::string configured = layers.MapSet;
  std::vector<std::string> paths;
  for (char c : configured) paths.push_back(layers.PathOf(c));
  layers.LoadMapSet([&host](const std::string& text) { host.ShowMessage(text); });
  for (size_t i = 0; i < configured.size(); ++i)
    if (!layers.Has(configured[i])) Warn(paths[i] + ": nothing to draw, the layer is left out");

  // The window's surface: white, then the base drawing over it.
  QImage surface(W, H, QImage::Format_RGB32);
  if (surface.isNull()) throw std::runtime_error("no memory for a " + size + " image");
  surface.fill(Qt::white);
  {
    TQtCanvas canvas(surface);
    plot.DrawBase(canvas);
  }
  if (!surface.save(QString::fromLocal8Bit(out.c_str()), "PNG"))
    throw std::runtime_error("Cannot write file \"" + out + "\"");
  return 0;
}

// ---- plane --------------------------------------------------------------------------------------

int Plane(const std::vector<std::string>& args) {
  const bool inverse = !args.empty() && args[0] == "--inverse";
  const size_t first = inverse ? 1 : 0;
  if (args.size() != first + 3) throw EUsage(inverse ? "plane --inverse needs ZONE LAT LON" : "plane needs ZONE X Y");
  int zone = 0;
  double a = 0, b = 0;
  if (!ParseNumber(args[first], zone)) throw EUsage("'" + args[first] + "' is not a zone number");
  if (!ParseNumber(args[first + 1], a)) throw EUsage("'" + args[first + 1] + "' is not a number");
  if (!ParseNumber(args[first + 2], b)) throw EUsage("'" + args[first + 2] + "' is not a number");
  double r1 = 0, r2 = 0;
  if (inverse) {
    GeodeticToPlane(zone, a, b, r1, r2);
    std::printf("%s %s\n", FormatFixed(r1, 4).c_str(), FormatFixed(r2, 4).c_str());
  } else {
    PlaneToGeodetic(zone, r1, r2, a, b);
    std::printf("%s %s\n", FormatFixed(r1, 9).c_str(), FormatFixed(r2, 9).c_str());
  }
  return 0;
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) {
  using namespace orvane;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError(kProgram, "a command is wanted: info, render or plane");
  const std::string command = args[0];
  if (command == "--help" || command == "-h" || std::find(args.begin(), args.end(), "--help") != args.end()) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("%s %s\n", kProgram, ORVANE_VERSION);
    return 0;
  }
  args.erase(args.begin());
  try {
    if (command == "info") return Info(args);
    if (command == "render") return Render(argc, argv, args);
    if (command == "plane") return Plane(args);
    return UsageError(kProgram, "unknown command '" + command + "'");
  } catch (const EUsage& e) {
    return UsageError(kProgram, e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }
}
