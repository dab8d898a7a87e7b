// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's redraw with the real drawing code on an offscreen 1000 x 700 image: 1000
// track points over a 10000 x 10000 8-bit bitmap, the same without the bitmap, and a sample that
// thins a full track. Needs a display platform; offscreen is chosen unless one is set.
#include <benchmark/benchmark.h>

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/QtBenchMain.h"
#include "geodrel.h"
#include "gui/DefaultMark.h"
#include "gui/QtCanvas.h"
#include "maps/MapBitmap.h"
#include "nmea/NmeaRec.h"
#include "track/LayerKinds.h"
#include "track/TrackPlot.h"
#include "track/TrackState.h"

namespace {

using namespace orvane;

constexpr int kW = 1000, kH = 700;
constexpr int kBitmapSide = 10000;
constexpr double kCentreLat = 35.0, kCentreLon = 139.0;  // decimal degrees

class QuietHost : public TTrackHost {
public:
  void SetCaption(const std::string&) override {}
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  void ReportError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
  void HeadingLabelChanged(const THeadingLabel&) override {}
};

// The bitmap file and its header, written once: 10000 x 10000 pixels of 0.001°, 10° square,
// centred on the view.
class BitmapFile {
public:
  BitmapFile() {
    QImage picture(kBitmapSide, kBitmapSide, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i) colours.push_back(qRgb(i, 255 - i, (i * 7) & 255));
    picture.setColorTable(colours);
    for (int y = 0; y < kBitmapSide; ++y) {
      uchar* row = picture.scanLine(y);
      for (int x = 0; x < kBitmapSide; ++x) row[x] = static_cast<uchar>((x / 37 + y / 53) & 255);
    }
    path = dir.filePath("area.bmp").toStdString();
    if (!picture.save(QString::fromStdString(path), "BMP")) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::ofstream hdr(dir.filePath("area.HDR").toStdString());
    hdr << "ULXMAP " << kCentreLon - 5 << "\nULYMAP " << kCentreLat + 5 << "\nXDIM 0.001\nYDIM 0.001\n";
  }
  QTemporaryDir dir;
  std::string path;
};

BitmapFile& Bitmap() {
  static BitmapFile file;
  return file;
}

// The window's drawing objects with `points` track entries around the centre.
struct Window {
  explicit Window(bool withBitmap, int points = 1000) : surface(kW, kH, QImage::Format_RGB32) {
    NmeaRec.BGColor = RGBColor(255, 255, 255);
    NmeaRec.GridColor = RGBColor(128, 128, 128);
    NmeaRec.TrackColor = RGBColor(0, 0, 255);
    NmeaRec.GpsDatum = "WGS 84";
    TrackState.MapDatum = "WGS 84";
    TrackState.Zoom = 6;
    LayerPath(TrackState, 'B') = withBitmap ? Bitmap().path : std::string();
    mark.SetImage(DefaultMarkPicture(), false);
    plot = std::make_unique<TTrackPlot>(host, mark, background, layers, TrackState, NmeaRec);
    const auto start = std::chrono::steady_clock::now();
    plot->SetMapSet();
    loadMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // A drive wandering over about a degree, one step a sample.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> step(-0.004, 0.004);
    double lat = kCentreLat, lon = kCentreLon;
    for (int i = 0; i < points; ++i) {
      lat += step(random);
      lon += step(random);
      plot->Track.Append({"00:00:00", {DegToDms(lat), DegToDms(lon)}});
    }
    TrackState.CenterB = DegToDms(kCentreLat);
    TrackState.CenterL = DegToDms(kCentreLon);
  }
  void Paint() {
    TQtCanvas canvas(surface);
    plot->FormPaint(canvas);
  }

  QuietHost host;
  QImage surface;
  TQtImage mark, background, map;
  TBitmapLayer bitmap{map, TrackState.MapDatum};
  TMapLayers layers{TrackState};
  const bool bitmapSet = (layers.SetLayer('B', &bitmap), true);
  std::unique_ptr<TTrackPlot> plot;
  double loadMs = 0;
};

void SetZoom(Window& w, int zoom) {
  TrackState.Zoom = zoom;
  w.plot->View.ApplyZoom();
}

void BM_FormPaintWithBitmap(benchmark::State& state) {
  static Window w(true);
  SetZoom(w, static_cast<int>(state.range(0)));
  for (auto _ : state) w.Paint();
  state.counters["bitmap_load_ms"] = w.loadMs;
  state.counters["bitmap_px"] = static_cast<double>(w.map.Width()) * w.map.Height();
  state.counters["bitmap_in_set"] = w.layers.Has('B');
}
// Zoom 6 is the default; from zoom 5 out the whole bitmap is smaller than the view.
BENCHMARK(BM_FormPaintWithBitmap)->DenseRange(1, 17, 1)->Unit(benchmark::kMillisecond);

void BM_FormPaintWithoutBitmap(benchmark::State& state) {
  static Window w(false);
  SetZoom(w, static_cast<int>(state.range(0)));
  for (auto _ : state) w.Paint();
}
BENCHMARK(BM_FormPaintWithoutBitmap)->Arg(6)->Arg(10)->Unit(benchmark::kMillisecond);

// One timed sample of a fix a little north of the last, on the track restored to `entries`.
void TimedSample(benchmark::State& state, Window& w, const std::vector<TTrackEntry>& entries, double& lat) {
  state.PauseTiming();
  w.plot->Track.Clear();
  for (const TTrackEntry& e : entries) w.plot->Track.Append(e);
  NmeaRec.FixValid = true;
  lat += 0.0001;
  NmeaRec.Lat = DegToDms(lat);
  NmeaRec.Lon = DegToDms(kCentreLon);
  NmeaRec.LatNS = "N";
  NmeaRec.LonEW = "E";
  state.ResumeTiming();
  TQtCanvas canvas(w.surface);
  benchmark::DoNotOptimize(w.plot->SampleTrack(canvas));
}

// One timed sample per iteration at zoom 6 with DataMax 1000, each from the window's track as it
// stood before the first; returns those entries.
std::vector<TTrackEntry> TimeSamples(benchmark::State& state, Window& w) {
  SetZoom(w, 6);
  TrackState.DataMax = 1000;
  const std::vector<TTrackEntry> entries = w.plot->Track.Entries();
  double lat = kCentreLat;
  for (auto _ : state) TimedSample(state, w, entries, lat);
  return entries;
}

// One sample that finds DataMax entries: the list halves, the entry is appended, the view is
// redrawn around it.
void BM_SampleThinningAtDataMax(benchmark::State& state) {
  static Window w(true);
  const std::vector<TTrackEntry> full = TimeSamples(state, w);
  // A full redraw of the 1000 entries in the same window, for the ratio.
  w.plot->Track.Clear();
  for (const TTrackEntry& e : full) w.plot->Track.Append(e);
  constexpr int kRedraws = 20;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRedraws; ++i) w.Paint();
  state.counters["redraw_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kRedraws;
}
BENCHMARK(BM_SampleThinningAtDataMax)->Unit(benchmark::kMillisecond);

// An ordinary sample on 999 entries, for comparison: no thinning, 1000 points redrawn.
void BM_SampleWithoutThinning(benchmark::State& state) {
  static Window w(true, 999);
  TimeSamples(state, w);
}
BENCHMARK(BM_SampleWithoutThinning)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return orvane::RunQtBenchmarks<QGuiApplication>(argc, argv); }
