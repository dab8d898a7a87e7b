// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-map render: the track window's drawing of a settings file's layers, as a PNG.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include "common/HostConv.h"
#include "common/ProgramFolder.h"
#include "common/ReplaceFile.h"
#include "geodrel.h"
#include "gui/QtCanvas.h"
#include "maps/MapBitmap.h"
#include "maps/PosixEncConverter.h"
#include "maps/TileService.h"
#include "nmea/NmeaRec.h"
#include "tools/ToolArgs.h"
#include "tools/orvane-map.h"
#include "track/MapLayerObjects.h"
#include "track/MapLayers.h"
#include "track/TrackPlot.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

namespace orvane::maptool {
namespace {

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

// Tells nothing but messages and errors: the window's title and heading label do not exist
// here. An error is said at once and makes the exit status 1, but the picture is still drawn
// with what loaded, as the window would show it.
class THeadlessHost : public TTrackHost {
public:
  void SetCaption(const std::string&) override {}
  void ShowMessage(const std::string& text) override { Warn(text); }
  void ReportError(const std::string& text) override {
    std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
    Failed = true;
  }
  void HeadingLabelChanged(const THeadingLabel&) override {}
  bool Failed = false;
};

// The highest zoom whose view at W x H holds the box; zoom 1 when none does.
int32_t ZoomHolding(const TViewBox& box, int W, int H) {
  for (int32_t z = kZoomMax; z > kZoomMin; --z) {
    const double spanX = W / ScaleTable[z] / 3600, spanY = H / ScaleTable[z] / 3600;
    if (spanX >= box.Width() && spanY >= box.Height()) return z;
  }
  return kZoomMin;
}

// What the command line asks for.
struct TRenderArgs {
  std::string Settings, Out;
  int W = kTrackClientWidth, H = kTrackClientHeight;
  double Lat = 0, Lon = 0;
  int32_t Zoom = 0;
  bool World = false;
};

TRenderArgs ParseRenderArgs(const std::vector<std::string>& args) {
  TRenderArgs r;
  std::string view, center, zoomText, size;
  TToolArgs a(args);
  while (a.Next()) {
    if (a.Is("--world")) {
      r.World = true;
      continue;
    }
    std::string* target = a.Is("--settings") ? &r.Settings
                          : a.Is("--view")   ? &view
                          : a.Is("--center") ? &center
                          : a.Is("--zoom")   ? &zoomText
                          : a.Is("--size")   ? &size
                          : a.Is("-o")       ? &r.Out
                                             : nullptr;
    if (!target) throw EUsage("unknown argument " + a.Arg());
    *target = a.Value();
  }
  if (r.Settings.empty()) throw EUsage("render needs --settings FILE");
  if (r.Out.empty()) throw EUsage("render needs -o OUT.png");
  if (view.empty() == center.empty()) throw EUsage("render needs either --view or --center with --zoom");
  if (!center.empty() && zoomText.empty()) throw EUsage("--center needs --zoom");
  if (!view.empty() && !zoomText.empty()) throw EUsage("--zoom goes with --center, not with --view");
  if (!size.empty()) {
    const size_t x = size.find('x');
    if (x == std::string::npos || !ParseNumber(std::string_view(size).substr(0, x), r.W) ||
        !ParseNumber(std::string_view(size).substr(x + 1), r.H) || r.W < 1 || r.H < 1 || r.W > 8192 || r.H > 8192)
      throw EUsage("--size: '" + size + "' is not WxH with each from 1 to 8192");
  }
  if (!center.empty()) {
    const std::vector<double> c = NumberList("--center", center, 2);
    r.Lat = c[0], r.Lon = c[1];
    if (!ParseNumber(zoomText, r.Zoom) || r.Zoom < kZoomMin || r.Zoom > kZoomMax)
      throw EUsage("--zoom: '" + zoomText + "' is not a zoom from 1 to 17");
  } else {
    const std::vector<double> v = NumberList("--view", view, 4);
    if (!(v[0] < v[2]) || !(v[1] < v[3])) throw EUsage("--view: WEST below EAST and SOUTH below NORTH wanted");
    r.Lon = (v[0] + v[2]) / 2, r.Lat = (v[1] + v[3]) / 2;
    r.Zoom = ZoomHolding({v[0], v[1], v[2], v[3]}, r.W, r.H);
  }
  if (!(r.Lat >= -90 && r.Lat <= 90 && r.Lon >= -180 && r.Lon <= 360))
    throw EUsage("the centre lies outside the globe");
  return r;
}

// The world file of a picture: its name with the extension's first and last letters around a
// "w" (out.png has out.pgw), or ".pgw" added to a name without one.
std::string WorldFileName(const std::string& png) {
  const size_t slash = png.rfind('/'), dot = png.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || png.size() - dot < 3)
    return png + ".pgw";
  return png.substr(0, dot + 1) + png[dot + 1] + png.back() + "w";
}

// Six lines: the pixel's width, two rotations, its height (negative: rows run south), and the
// centre of the top-left pixel, in decimal degrees of the map datum.
std::string WorldFile(const TViewBox& box, int W, int H) {
  const double dx = box.Width() / W, dy = box.Height() / H;
  return FormatShortest(dx) + "\n0\n0\n" + FormatShortest(-dy) + "\n" + FormatShortest(box.West + dx / 2) + "\n" +
         FormatShortest(box.North - dy / 2) + "\n";
}

}  // namespace

int Render(int argc, char** argv, const std::vector<std::string>& args) {
  const TRenderArgs r = ParseRenderArgs(args);

  // No display is needed: the canvas paints on an image, and fonts come from the offscreen
  // platform unless the caller chose another.
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  LoadSettingsFile(r.Settings);
  TrackState.CenterB = DegToDms(r.Lat);
  TrackState.CenterL = DegToDms(r.Lon);
  TrackState.Zoom = r.Zoom;
  // No track and so no mark is drawn here: its picture is not wanted.
  TrackState.IconMark.clear();

  TQtImage mapImage, markPicture, markBackground;
  TMapLayers layers(TrackState);
  TPosixEncConverter converter;
  const TMapLayerObjects objects(layers, TLayerMakers{TrackState, NmeaRec, [](const std::string& text) { Warn(text); },
                                                      &converter, EncClassTablePath(ProgramFolder()), &mapImage});
  THeadlessHost host;
  TTrackPlot plot(host, markPicture, markBackground, layers, TrackState, NmeaRec);
  plot.View.ApplyZoom();

  // The window's own load; what it leaves out is said here, as the window shows it by absence.
  std::vector<std::pair<char, std::string>> configured;
  for (const TLayerKind& k : LayerKinds())
    if (!LayerPath(TrackState, k).empty()) configured.emplace_back(k.Letter, LayerPath(TrackState, k));
  // A layer whose file cannot be read is said and the rest drawn, as the window does; the status
  // says that one failed.
  try {
    plot.SetMapSet();
  } catch (const std::exception& e) {
    host.ReportError(e.what());
  }
  for (const auto& [letter, path] : configured)
    if (!layers.Has(letter) && layers.Layer(letter)) Warn(path + ": nothing to draw, the layer is left out");

  // The window's surface: white, then the base drawing over it.
  QImage surface(r.W, r.H, QImage::Format_RGB32);
  if (surface.isNull())
    throw std::runtime_error("no memory for a " + std::to_string(r.W) + "x" + std::to_string(r.H) + " image");
  surface.fill(Qt::white);
  {
    TQtCanvas canvas(surface);
    plot.DrawBase(canvas);
  }
  // Tiles come from their server after the first drawing: drawn again as they do, until none
  // is on its way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6 * kTileTimeoutSeconds);
  for (;;) {
    const TLayerNews news = layers.TakeNews();
    if (!news.Message.empty()) Warn(news.Message);
    if (news.Redraw) {
      surface.fill(Qt::white);
      TQtCanvas canvas(surface);
      plot.DrawBase(canvas);
      continue;
    }
    if (!news.Busy || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // Encoded in memory, then put in place whole: a full disk leaves no truncated picture.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !surface.save(&buffer, "PNG"))
    throw std::runtime_error("Cannot write file \"" + r.Out + "\": the picture could not be encoded");
  ReplaceFile(r.Out, std::string_view(png.constData(), static_cast<size_t>(png.size())));
  const TViewBox box = plot.View.Box();
  if (r.World) ReplaceFile(WorldFileName(r.Out), WorldFile(box, r.W, r.H));
  std::fprintf(stderr, "%s: zoom %d, view west %s, south %s, east %s, north %s\n", kProgram, r.Zoom,
               FormatFixed(box.West, 6).c_str(), FormatFixed(box.South, 6).c_str(), FormatFixed(box.East, 6).c_str(),
               FormatFixed(box.North, 6).c_str());
  return host.Failed ? 1 : 0;
}

}  // namespace orvane::maptool
