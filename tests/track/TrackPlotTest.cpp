// SPDX-License-Identifier: GPL-3.0-or-later
// The track window's drawing without its widgets: samples, track points and the mark, the
// mark's preparation, captions, redraws on zoom and keys.
#include <gtest/gtest.h>

#include "geodrel.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "maps/MapBitmap.h"
#include "nmea/NmeaRec.h"
#include "tests/track/RecordingCanvas.h"
#include "track/LayerKinds.h"
#include "track/TrackPlot.h"
#include "track/TrackState.h"

namespace orvane {
namespace {

using test::FakeImage;
using test::RecordingCanvas;
using test::TCanvasCall;
using test::TCanvasOp;

constexpr TColor kTrack = RGBColor(0, 200, 0);

class RecordingHost : public TTrackHost {
public:
  std::vector<std::string> Captions, Messages, Errors;
  std::vector<THeadingLabel> Labels;
  void SetCaption(const std::string& c) override { Captions.push_back(c); }
  void ShowMessage(const std::string& t) override { Messages.push_back(t); }
  void ReportError(const std::string& t) override { Errors.push_back(t); }
  void HeadingLabelChanged(const THeadingLabel& l) override { Labels.push_back(l); }
};

class TrackPlotTest : public ::testing::Test {
protected:
  void SetUp() override {
    Reset();
    NmeaRec.BGColor = clWhite;
    NmeaRec.GridColor = RGBColor(128, 128, 128);
    NmeaRec.TrackColor = kTrack;
    NmeaRec.HeadR = 25;
    NmeaRec.GpsDatum = "WGS 84";
    state.MapDatum = "WGS 84";
    state.Zoom = 10;  // one pixel per arc-second
    plot.View.ApplyZoom();
  }
  void TearDown() override { Reset(); }
  void Reset() {
    NmeaRec = TNmeaRec{};
    state.CenterB = 34.0;
    state.CenterL = 134.0;
    state.Zoom = 6;
    state.DataMax = 1000;
    state.MapDatum = "Tokyo";
    state.IconMark.clear();
    LayerPath(state, 'B').clear();
    LayerPath(state, 'R').clear();
  }
  static void FixAt(double lat, double lon) {
    NmeaRec.FixValid = true;
    NmeaRec.FixTime = "03:15:42";
    NmeaRec.Lat = lat;
    NmeaRec.Lon = lon;
    NmeaRec.LatNS = "N";
    NmeaRec.LonEW = "E";
  }
  static std::vector<test::TLine> TrackLines(const RecordingCanvas& c) {
    std::vector<test::TLine> out;
    for (const test::TLine& l : c.Lines())
      if (l.State.PenColor == kTrack) out.push_back(l);
    return out;
  }
  static size_t IndexOf(const RecordingCanvas& c, const TCanvasCall* call) {
    return static_cast<size_t>(call - c.Calls.data());
  }

  RecordingHost host;
  FakeImage mark{24, 24}, background, mapImage;
  TTrackState state;
  TBitmapLayer bitmap{mapImage, state.MapDatum};
  TMapLayers layers{state};
  const bool bitmapSet = (layers.SetLayer('B', &bitmap), true);
  TTrackPlot plot{host, mark, background, layers, state, NmeaRec};
  RecordingCanvas canvas{485, 305};
};

// A replay over a live track: its fixes are taken by the log's time, however fast it plays, the
// timer takes none meanwhile, and neither source's points share a segment with the other's.
TEST_F(TrackPlotTest, AReplayIsSampledByTheLogsTimeInItsOwnSegment) {
  struct Row {
    int32_t interval;  // ms
    bool newTrack;
    size_t entries;  // after two live samples and a replay of 20 seconds
  } rows[] = {{1000, false, 2 + 20}, {5000, false, 2 + 4}, {1000, true, 20}, {2000, true, 10}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.interval) + (r.newTrack ? " new track" : " new segment"));
    plot.Track.Clear();
    state.TrackEnabled = true;
    state.Interval = r.interval;
    auto at = [](const std::string& time, double lat) {
      FixAt(lat, 134.0);
      NmeaRec.FixTime = time;
      NmeaRec.FixDate = "010624";
    };
    at("09:04:30", 34.10);
    ASSERT_TRUE(plot.TimerSample(canvas));
    at("09:04:31", 34.11);
    ASSERT_TRUE(plot.TimerSample(canvas));

    plot.BeginReplay(canvas, r.newTrack);
    EXPECT_FALSE(plot.TimerSample(canvas));             // the live fix held in the record is not the log's
    EXPECT_FALSE(plot.SampleReplayFix(canvas, "GSA"));  // nor after the log's first GSA
    for (int s = 0; s < 20; ++s) {
      char time[16];
      std::snprintf(time, sizeof time, "09:00:%02d", s);
      // GGA, then RMC of the same second: one sample for both.
      at(time, 34.0 + s * 0.001);
      plot.SampleReplayFix(canvas, "GGA");
      plot.SampleReplayFix(canvas, "RMC");
      EXPECT_FALSE(plot.TimerSample(canvas));
    }
    plot.EndReplay();
    EXPECT_FALSE(plot.TimerSample(canvas));  // the replay's last fix stays out of the live track
    at("09:04:47", 34.12);
    ASSERT_TRUE(plot.TimerSample(canvas));

    ASSERT_EQ(plot.Track.Count(), r.entries + 1);
    const size_t replayStart = r.newTrack ? 0 : 2;
    for (size_t i = 0; i < plot.Track.Count(); ++i)
      EXPECT_EQ(plot.Track[i].NewSegment, i > 0 && (i == replayStart || i == r.entries)) << i;
    EXPECT_EQ(plot.Track[replayStart].FixTime, "09:00:00");
    EXPECT_EQ(plot.Track[replayStart + 1].FixTime, r.interval == 5000   ? "09:00:05"
                                                   : r.interval == 2000 ? "09:00:02"
                                                                        : "09:00:01");
  }
}

TEST_F(TrackPlotTest, FirstSampleCentresTheViewAndPlacesTheMarkWithoutALine) {
  plot.SetMapSet();
  EXPECT_TRUE(layers.MapReady);
  EXPECT_EQ(background.Resizes, (std::vector<TSize>{{24, 24}}));

  FixAt(35.393, 139.4522);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_EQ(state.CenterB, 35.393);
  EXPECT_EQ(state.CenterL, 139.4522);
  // Base first, then the mark at the centre pixel (242, 153) minus half its size.
  ASSERT_FALSE(canvas.Calls.empty());
  EXPECT_EQ(canvas.Calls[0].Op, TCanvasOp::FillRect);
  const auto saved = canvas.Of(TCanvasOp::CopyToImage);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0]->Rect, Bounds(230, 141, 24, 24));
  EXPECT_EQ(saved[0]->Image, &background);
  const auto marks = canvas.Of(TCanvasOp::DrawTransparent);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0]->At, (TPoint{230, 141}));
  EXPECT_EQ(marks[0]->Image, &mark);
  EXPECT_GT(IndexOf(canvas, marks[0]), IndexOf(canvas, saved[0]));
  EXPECT_EQ(canvas.Calls.back().Op, TCanvasOp::MoveTo);
  EXPECT_EQ(canvas.Calls.back().At, (TPoint{242, 153}));
  EXPECT_TRUE(TrackLines(canvas).empty());
  EXPECT_TRUE(canvas.Of(TCanvasOp::CopyFromImage).empty());
  EXPECT_EQ(plot.LastMarkX, 230);
  EXPECT_EQ(plot.LastMarkY, 141);

  // The map read-out (no mouse yet), then the count.
  ASSERT_EQ(host.Captions.size(), 2u);
  EXPECT_EQ(host.Captions[0], "N 0.00000 E 0.00000 [1.000]");
  EXPECT_EQ(host.Captions[1], "Route Track  (1/1000)");
}

TEST_F(TrackPlotTest, NextSampleRedrawsAroundItWithOneMarkAtTheNewest) {
  plot.SetMapSet();
  FixAt(34.0, 134.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  canvas.Reset();
  // 30.5" east: the old point ends up 30 pixels left of the new centre.
  FixAt(34.0, 134.00305);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_FALSE(plot.SuppressMark);
  EXPECT_EQ(canvas.Calls[0].Op, TCanvasOp::FillRect);

  const auto lines = TrackLines(canvas);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].From, (TPoint{212, 153}));
  EXPECT_EQ(lines[0].To, (TPoint{242, 153}));
  for (const test::TLine& l : lines) {
    EXPECT_EQ(l.State.PenWidth, 2);
    EXPECT_EQ(l.State.PenStyle, TPenStyle::Solid);
    EXPECT_EQ(l.To, (TPoint{242, 153}));
  }
  // The redraw around the new centre shows no mark; the new point gets the only one.
  const auto marks = canvas.Of(TCanvasOp::DrawTransparent);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0]->At, (TPoint{230, 141}));
  // Before it, the pixels under the previous mark place were put back, and the ones under the
  // new place kept.
  const auto restores = canvas.Of(TCanvasOp::CopyFromImage);
  ASSERT_FALSE(restores.empty());
  EXPECT_EQ(restores.back()->Rect, Bounds(plot.LastMarkX, plot.LastMarkY, 24, 24));
  EXPECT_EQ(restores.back()->Source, Bounds(0, 0, 24, 24));
  EXPECT_EQ(restores.back()->Image, &background);
  const auto saves = canvas.Of(TCanvasOp::CopyToImage);
  EXPECT_EQ(saves.back()->Rect, Bounds(230, 141, 24, 24));
  EXPECT_LT(IndexOf(canvas, saves.back()), IndexOf(canvas, marks[0]));
  EXPECT_EQ(host.Captions.back(), "Route Track  (2/1000)");
}

TEST_F(TrackPlotTest, RedrawLeavesTheMarkOnlyAtTheNewestEntry) {
  plot.Track.Append({"a", {34.0, 134.0}});
  plot.Track.Append({"b", {34.0, 134.00305}});
  plot.Track.Append({"c", {34.00305, 134.00305}});
  plot.FormPaint(canvas);

  const auto lines = TrackLines(canvas);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (test::TLine{{242, 153}, {272, 153}, {}}));
  EXPECT_EQ(lines[1], (test::TLine{{272, 153}, {272, 123}, {}}));
  // Every mark but the last is erased, before the line leaves it, by the pixels kept under it.
  const auto marks = canvas.Of(TCanvasOp::DrawTransparent);
  const auto restores = canvas.Of(TCanvasOp::CopyFromImage);
  ASSERT_EQ(marks.size(), 3u);
  ASSERT_EQ(restores.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(restores[i]->Rect, Bounds(marks[i]->At.x, marks[i]->At.y, 24, 24));
    EXPECT_GT(IndexOf(canvas, restores[i]), IndexOf(canvas, marks[i]));
    EXPECT_LT(IndexOf(canvas, restores[i]), IndexOf(canvas, marks[i + 1]));
  }
  EXPECT_EQ(marks[2]->At, (TPoint{272 - 12, 123 - 12}));
}

TEST_F(TrackPlotTest, ThinningCaption) {
  for (int i = 0; i < 1000; ++i) plot.Track.Append({std::to_string(i), {34.0, 134.0 + i * 0.0001}});
  FixAt(35.0, 135.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_EQ(plot.Track.Count(), 501u);
  EXPECT_EQ(host.Captions.back(), "Route Track  (501/1000)");
}

TEST_F(TrackPlotTest, NoFixLeavesEverythingAsItWas) {
  FixAt(34.0, 134.0);
  NmeaRec.FixValid = false;
  EXPECT_FALSE(plot.SampleTrack(canvas));
  EXPECT_TRUE(canvas.Calls.empty());
  EXPECT_TRUE(host.Captions.empty());
}

TEST_F(TrackPlotTest, ClearTrackStopsRecordingUntilTheNextFix) {
  FixAt(34.0, 134.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  FixAt(34.0, 134.00305);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  canvas.Reset();
  plot.ClearTrack(canvas);
  EXPECT_FALSE(NmeaRec.FixValid);
  EXPECT_EQ(plot.Track.Count(), 0u);
  EXPECT_EQ(canvas.Calls[0].Op, TCanvasOp::FillRect);
  EXPECT_TRUE(TrackLines(canvas).empty());
  EXPECT_TRUE(canvas.Of(TCanvasOp::DrawTransparent).empty());
  EXPECT_FALSE(plot.SampleTrack(canvas));

  // The next fix starts afresh: base around it, mark, no line.
  canvas.Reset();
  FixAt(34.1, 134.1);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_TRUE(TrackLines(canvas).empty());
  EXPECT_EQ(canvas.Of(TCanvasOp::DrawTransparent).size(), 1u);
  EXPECT_EQ(host.Captions.back(), "Route Track  (1/1000)");
}

TEST_F(TrackPlotTest, HeadingMarkAndItsLabel) {
  NmeaRec.Headding = true;
  NmeaRec.HeadGuide = true;
  NmeaRec.Course = 0;
  plot.PrepareMark();
  EXPECT_EQ(plot.MarkWidth, 50);
  EXPECT_EQ(plot.MarkHeight, 50);
  EXPECT_EQ(background.Resizes.back(), (TSize{50, 50}));

  FixAt(34.0, 134.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_TRUE(canvas.Of(TCanvasOp::DrawTransparent).empty());
  EXPECT_EQ(canvas.Of(TCanvasOp::CopyToImage)[0]->Rect, Bounds(217, 128, 50, 50));
  const auto ellipses = canvas.Of(TCanvasOp::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0]->Rect, (TRect{217, 128, 267, 178}));
  std::vector<test::TLine> arrow;
  for (const test::TLine& l : canvas.Lines())
    if (l.State.PenColor == RGBColor(255, 0, 0)) arrow.push_back(l);
  ASSERT_EQ(arrow.size(), 3u);
  EXPECT_EQ(arrow[0], (test::TLine{{242, 128}, {242, 178}, {}}));
  EXPECT_EQ(arrow[1], (test::TLine{{242, 128}, {229, 149}, {}}));
  EXPECT_EQ(arrow[2], (test::TLine{{242, 128}, {254, 149}, {}}));

  ASSERT_FALSE(host.Labels.empty());
  EXPECT_TRUE(host.Labels.back().Visible);
  EXPECT_EQ(host.Labels.back().Caption, "  0.000 ");
  EXPECT_EQ(host.Labels.back().Left, 217);
  EXPECT_EQ(host.Labels.back().Top, 180);

  // Without the guide the label hides; the arrow follows the course.
  NmeaRec.HeadGuide = false;
  NmeaRec.Course = 45.3;
  canvas.Reset();
  plot.DrawMark(canvas, 217, 128);
  EXPECT_FALSE(host.Labels.back().Visible);
  EXPECT_EQ(host.Labels.back().Caption, " 45.300 ");

  // A picture mark hides it too and keeps its last caption.
  NmeaRec.Headding = false;
  NmeaRec.HeadGuide = true;
  plot.DrawMark(canvas, 217, 128);
  EXPECT_FALSE(host.Labels.back().Visible);
  EXPECT_EQ(host.Labels.back().Caption, " 45.300 ");
  EXPECT_EQ(plot.HeadingLabel.Caption, " 45.300 ");
}

TEST_F(TrackPlotTest, MarkSizeFollowsThePictureUntilHeadingTakesOver) {
  mark.Files["/marks/pin.ico"] = {32, 16};
  state.IconMark = "/marks/pin.ico";
  plot.PrepareMark();
  EXPECT_EQ(mark.Loads, (std::vector<FakeImage::Load>{{"/marks/pin.ico", TImageKind::Picture}}));
  EXPECT_EQ(plot.MarkWidth, 32);
  EXPECT_EQ(plot.MarkHeight, 16);
  EXPECT_EQ(background.Resizes.back(), (TSize{32, 16}));

  NmeaRec.Headding = true;
  NmeaRec.HeadR = 10;
  plot.PrepareMark();
  EXPECT_EQ(plot.MarkWidth, 20);
  EXPECT_EQ(background.Resizes.back(), (TSize{20, 20}));

  // Heading off without a picture file: the square stays, the picture sits at its corner.
  NmeaRec.Headding = false;
  state.IconMark.clear();
  plot.PrepareMark();
  EXPECT_EQ(plot.MarkWidth, 20);
  EXPECT_EQ(plot.MarkHeight, 20);
  EXPECT_EQ(mark.Loads.size(), 2u);
  FixAt(34.0, 134.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  EXPECT_EQ(canvas.Of(TCanvasOp::DrawTransparent).at(0)->At, (TPoint{232, 143}));

  // A negative radius is no mark at all rather than a negative size.
  NmeaRec.Headding = true;
  NmeaRec.HeadR = -5;
  plot.PrepareMark();
  EXPECT_EQ(plot.MarkWidth, 0);
  EXPECT_EQ(background.Resizes.back(), (TSize{0, 0}));
}

TEST_F(TrackPlotTest, MarkPictureThatFailsIsReportedAndTheMapsStillLoad) {
  LayerPath(state, 'R') = "/maps/roads.txt";
  struct Layer : TMapLayer {
    int loads = 0;
    bool Load(const std::string&) override { return ++loads, true; }
    void Draw(TCanvas&, const TViewBox&) override {}
  } road;
  layers.SetLayer('R', &road);
  state.IconMark = "/marks/missing.bmp";
  plot.SetMapSet();
  ASSERT_EQ(host.Errors.size(), 1u);
  EXPECT_NE(host.Errors[0].find("/marks/missing.bmp"), std::string::npos) << host.Errors[0];
  EXPECT_EQ(road.loads, 1);
  EXPECT_TRUE(layers.MapReady);
  EXPECT_EQ(plot.MarkWidth, 24);                    // the old picture stays
  EXPECT_EQ(state.IconMark, "/marks/missing.bmp");  // the setting is the user's to mend

  // A wanted layer that could not be made is said, and the others load.
  layers.SetLayer('E', nullptr);
  layers.SetLayerError('E', "no class table");
  state.IconMark.clear();
  LayerPath(state, 'E') = "/charts/JP1.000";
  plot.SetMapSet();
  EXPECT_EQ(host.Errors.back(), "no class table");
  EXPECT_EQ(road.loads, 2);
  EXPECT_TRUE(layers.MapReady);
}

TEST_F(TrackPlotTest, MapsAndTheReadOutCaptionOnlyWhenTheMapIsReady) {
  struct Layer : TMapLayer {
    int draws = 0;
    bool Load(const std::string&) override { return true; }
    void Draw(TCanvas&, const TViewBox&) override { ++draws; }
  } road;
  layers.SetLayer('R', &road);
  LayerPath(state, 'R') = "/maps/roads.txt";
  layers.BuildMapSet();
  plot.FormPaint(canvas);
  EXPECT_EQ(road.draws, 0);
  EXPECT_TRUE(host.Captions.empty());

  state.Zoom = 6;
  plot.View.ApplyZoom();
  plot.SetMapSet();
  plot.FormPaint(canvas);
  EXPECT_EQ(road.draws, 1);
  EXPECT_EQ(host.Captions, (std::vector<std::string>{"N 0.00000 E 0.00000 [0.050]"}));
  plot.MouseMove(240, 150);
  plot.FormPaint(canvas);
  EXPECT_EQ(host.Captions.back(), host.Captions[1]);
  EXPECT_EQ(host.Captions.size(), 3u);
}

TEST_F(TrackPlotTest, ZoomAndKeysRedrawEvenAtTheLimits) {
  state.Zoom = 17;
  plot.View.ApplyZoom();
  plot.ZoomIn(canvas);
  EXPECT_EQ(state.Zoom, 17);
  EXPECT_EQ(canvas.Of(TCanvasOp::FillRect).size(), 1u);
  plot.KeyDown(canvas, vkPageUp);
  EXPECT_EQ(state.Zoom, 16);
  EXPECT_EQ(canvas.Of(TCanvasOp::FillRect).size(), 2u);
  plot.KeyDown(canvas, vkRight);
  EXPECT_NEAR(state.CenterL, 134.000036, 1e-9);  // 1" grid: 0.0001°
  EXPECT_EQ(canvas.Of(TCanvasOp::FillRect).size(), 3u);
  canvas.Reset();
  plot.KeyDown(canvas, 65);
  EXPECT_TRUE(canvas.Calls.empty());
  state.Zoom = 1;
  plot.View.ApplyZoom();
  plot.ZoomOut(canvas);
  EXPECT_EQ(state.Zoom, 1);
  EXPECT_EQ(canvas.Of(TCanvasOp::FillRect).size(), 1u);
}

TEST_F(TrackPlotTest, NoLineAcrossALossOfTheReceiver) {
  plot.SetMapSet();
  FixAt(34.0, 134.0);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  FixAt(34.0, 134.00305);
  NmeaRec.FixTime = "03:15:43";
  ASSERT_TRUE(plot.SampleTrack(canvas));
  FixAt(34.0, 134.0061);
  NmeaRec.FixTime = "03:20:00";
  canvas.Reset();
  ASSERT_TRUE(plot.SampleTrack(canvas));
  // The redraw joins the first two points only: one line of about 30 pixels, ending some 30
  // pixels short of the newest point at the centre.
  const auto lines = TrackLines(canvas);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NEAR(lines[0].To.x - lines[0].From.x, 30, 1);
  EXPECT_NEAR(lines[0].To.x, 242 - 30, 1);
}

TEST_F(TrackPlotTest, CentreOnTheReceiverAndShowTheWholeTrack) {
  plot.SetMapSet();
  EXPECT_FALSE(plot.CentreOnReceiver(canvas));  // nothing known yet
  EXPECT_FALSE(plot.WholeTrack(canvas));
  FixAt(34.3, 134.3);
  ASSERT_TRUE(plot.SampleTrack(canvas));
  FixAt(34.0, 134.0);
  NmeaRec.FixTime = "03:15:43";
  ASSERT_TRUE(plot.SampleTrack(canvas));
  ASSERT_TRUE(plot.WholeTrack(canvas));
  // Half a degree each way (34.3 is 34 degrees 30 minutes): zoom 8 (0.2 px/") shows only
  // 0.67 x 0.42 degrees, zoom 7 twice that.
  EXPECT_EQ(state.Zoom, 7);
  EXPECT_NEAR(DmsToDeg(state.CenterB), 34.25, 1e-9);
  EXPECT_NEAR(DmsToDeg(state.CenterL), 134.25, 1e-9);
  FixAt(34.1, 134.2);
  ASSERT_TRUE(plot.CentreOnReceiver(canvas));
  EXPECT_EQ(state.CenterB, 34.1);
  EXPECT_EQ(state.CenterL, 134.2);
  EXPECT_EQ(state.Zoom, 7);
  NmeaRec.FixValid = false;  // without a fix: the newest point
  ASSERT_TRUE(plot.CentreOnReceiver(canvas));
  EXPECT_EQ(state.CenterB, 34.0);
}

TEST_F(TrackPlotTest, DatumMenuNamesInTableOrder) {
  EXPECT_EQ(TTrackPlot::MapDatumNames(), (std::vector<std::string>{"Tokyo", "WGS 84", "GRS-83"}));
}

}  // namespace
}  // namespace orvane
