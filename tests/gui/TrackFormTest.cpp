// SPDX-License-Identifier: GPL-3.0-or-later
// The track window, offscreen: its start, the popup menu through the real actions, samples taken
// by the timer from the GPS record and drawn on the surface, saving, zooming and panning, the
// read-out, resizing, the heading mark and its label, mark pictures and a georeferenced bitmap.
#include "gui/UTrackForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>

#include "geodrel.h"
#include "gui/DefaultMark.h"
#include "gui/ErrorHandler.h"
#include "gui/QtCanvas.h"
#include "nmea/NmeaRec.h"
#include "settings/MainVars.h"
#include "settings/Settings.h"
#include "tests/common/TempFiles.h"
#include "tests/gui/WindowTest.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"
#include "track/TrackView.h"

namespace orvane {
namespace {

QRgb ToQRgb(TColor c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }

void AnswerInput(const QString& text, bool accept = true) {
  OnModal([text, accept](QWidget* w) {
    auto* box = qobject_cast<QInputDialog*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Track Interval");
    EXPECT_EQ(box->labelText(), "Input Tracking Interval Time.(Sec)");
    box->setTextValue(text);
    if (accept)
      box->accept();
    else
      box->reject();
  });
}

// Types `path` into a file dialog. selectFile leaves the name box alone while it has the focus,
// which a dialog that has just been shown may already have given it.
void ChooseFile(QFileDialog* dlg, const std::string& path) {
  dlg->selectFile(QString::fromStdString(path));
  if (auto* name = dlg->findChild<QLineEdit*>("fileNameEdit"))
    name->setText(QString::fromStdString(std::filesystem::path(path).filename().string()));
}

int CountNear(const QImage& img, QRgb colour, QRect r) {
  r &= img.rect();
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixel(x, y) == colour) ++n;
  return n;
}

class TrackFormTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    SetSettingsFileName((dir / "Orvane.ini").string());
    NmeaRec = TNmeaRec{};
    LoadSettings();  // no file: every default
    ShowTrk = false;
    SetErrorReporter([this](const std::string& m) { errors.push_back(m); });
  }
  void TearDown() override {
    delete form;
    SetErrorReporter(nullptr);
    SetSettingsFileName("");
    TempDir::TearDown();
  }
  TTrackForm& Make() {
    form = new TTrackForm;
    form->OnMessage = [this](const std::string& m) { messages.push_back(m); };
    return *form;
  }
  // A fix in the map's own datum, so the track holds the received position unchanged.
  static void Fix(double lat, double lon, const char* ns = "N", const char* ew = "E") {
    NmeaRec.FixValid = true;
    NmeaRec.FixTime = "03:15:42";
    NmeaRec.Lat = lat;
    NmeaRec.Lon = lon;
    NmeaRec.LatNS = ns;
    NmeaRec.LonEW = ew;
    NmeaRec.Altitude = 50;
    NmeaRec.GpsDatum = "WGS 84";
    TrackState.MapDatum = "WGS 84";
  }
  QPoint Centre() const {
    return {form->Surface().width() / 2, form->Surface().height() - form->Surface().height() / 2};
  }
  QString Title() const { return form->windowTitle(); }

  TTrackForm* form = nullptr;
  std::vector<std::string> errors, messages;
};

TEST_F(TrackFormTest, StartsWithTheReadoutCaptionTheMenuAndADrawnSurface) {
  TTrackForm& f = Make();
  // The map is ready without layers, and no mouse position is known yet.
  EXPECT_EQ(Title(), "N 0.00000 E 0.00000 [0.050]");
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.Surface().size(), QSize(485, 305));
  EXPECT_GT(CountNear(f.Surface(), ToQRgb(NmeaRec.BGColor), f.Surface().rect()), 485 * 305 * 8 / 10);
  EXPECT_GT(CountNear(f.Surface(), ToQRgb(NmeaRec.GridColor), f.Surface().rect()), 500);
  EXPECT_EQ(f.Plot().View.West, DmsToDeg(134.0) - 9700.0 / 3600 / 2);
  EXPECT_EQ(f.MarkPicture().size(), QSize(kDefaultMarkSize, kDefaultMarkSize));
  EXPECT_FALSE(f.TrkTimer.isActive());
  EXPECT_FALSE(f.menTrack->isChecked());
  EXPECT_FALSE(f.lblHeadding->isVisible());
  EXPECT_EQ(f.lblHeadding->font().pixelSize(), 13);

  // The popup menu, top to bottom.
  std::vector<std::string> items;
  for (QAction* a : f.PopupMenu->actions())
    items.push_back(a->isSeparator() ? "-"
                                     : a->objectName().toStdString() + "=" + a->text().toStdString() +
                                           (a->isVisible() ? "" : " (hidden)"));
  EXPECT_EQ(items,
            (std::vector<std::string>{"menTrack=Tracking", "menTrackInterval=Track Interval", "SaveTrack1=Save Track",
                                      "menClearTrack=Clear Track", "-", "menIn=Zoom In", "menOut=Zoom Out",
                                      "menCentre=Centre on Receiver", "menWholeTrack=Whole Track",
                                      "menWholeLayer=Whole Layer", "-", "mnLoadMap=Load Map (hidden)",
                                      "mnMapDatum=Map Datum", "Ma=Map (hidden)", "menSetting=Settings..."}));
  std::vector<std::string> intervals;
  for (QAction* a : f.menTrackInterval->actions())
    intervals.push_back(a->objectName().toStdString() + "=" + a->text().toStdString() + "/" +
                        std::to_string(a->data().toInt()) + (a->isCheckable() ? " checkable" : ""));
  EXPECT_EQ(intervals, (std::vector<std::string>{"N1Sec2=1Sec/1000", "N1sec1=5sec/5000", "N10sec1=10sec/10000",
                                                 "N30sec1=30sec/30000", "N1min1=1min/60000", "N5min1=5min/300000",
                                                 "Other1=Other.../-1"}));
  // The hidden Dummy, then one item per datum of the library, in its order.
  const QList<QAction*> datums = f.mnMapDatum->actions();
  ASSERT_EQ(datums.size(), GetDatumCount() + 1);
  EXPECT_EQ(datums[0]->objectName(), "mnDatum");
  EXPECT_EQ(datums[0]->text(), "Dummy");
  EXPECT_EQ(datums[0]->data().toInt(), 99);
  EXPECT_FALSE(datums[0]->isVisible());
  for (int i = 0; i < GetDatumCount(); ++i) {
    TDatumParam unused{};
    EXPECT_EQ(datums[i + 1]->text().toStdString(), GetDatumByNum(static_cast<int16_t>(i), &unused));
    EXPECT_TRUE(datums[i + 1]->isVisible());
  }
  EXPECT_EQ(f.Ma->actions().size(), 8);
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(TrackFormTest, StoredEnableStartsTheTimerAtTheStoredInterval) {
  TrackState.TrackEnabled = true;
  TrackState.Interval = 2000;
  TTrackForm& f = Make();
  EXPECT_TRUE(f.menTrack->isChecked());
  EXPECT_TRUE(f.TrkTimer.isActive());
  EXPECT_EQ(f.TrkTimer.interval(), 2000);
  delete form;
  form = nullptr;
  // A period that would never tick samples once a second.
  TrackState.Interval = 0;
  EXPECT_EQ(Make().TrkTimer.interval(), 1000);
}

TEST_F(TrackFormTest, TrackingOnSamplesAtOnceAndOffLetsTheNextTickStopTheTimer) {
  TTrackForm& f = Make();
  Fix(34.0, 134.0);
  f.menTrack->trigger();
  EXPECT_TRUE(TrackState.TrackEnabled);
  EXPECT_TRUE(f.menTrack->isChecked());
  EXPECT_EQ(f.Plot().Track.Count(), 1u);
  EXPECT_EQ(Title(), "Route Track  (1/1000)");
  EXPECT_TRUE(f.TrkTimer.isActive());

  f.menTrack->trigger();
  EXPECT_FALSE(TrackState.TrackEnabled);
  EXPECT_FALSE(f.menTrack->isChecked());
  EXPECT_TRUE(f.TrkTimer.isActive());  // still runs: its next tick samples, then stops
  Fix(34.0, 134.0010);
  f.TrkTimer.setInterval(10);
  ASSERT_TRUE(WaitFor([&] { return !f.TrkTimer.isActive(); }, 3));
  EXPECT_EQ(f.Plot().Track.Count(), 2u);

  // On again: a sample at once.
  Fix(34.0, 134.0020);
  f.menTrack->trigger();
  EXPECT_EQ(f.Plot().Track.Count(), 3u);
  EXPECT_EQ(Title(), "Route Track  (3/1000)");
}

TEST_F(TrackFormTest, TimerSamplesAreDrawnAsALineWithTheMarkAtTheNewest) {
  TrackState.Zoom = 12;  // 4 pixels per arc-second
  TTrackForm& f = Make();
  f.menTrackInterval->actions()[0]->trigger();  // "1Sec"
  Fix(34.0, 134.0);
  f.menTrack->trigger();
  EXPECT_EQ(f.TrkTimer.interval(), 1010);
  const QRgb track = ToQRgb(NmeaRec.TrackColor);
  const QPoint c = Centre();
  // The default mark sits centred on the point: its yellow middle on the centre pixel, its
  // teal background transparent.
  EXPECT_EQ(f.Surface().pixel(c), qRgb(255, 255, 0));
  EXPECT_EQ(CountNear(f.Surface(), qRgb(0, 128, 128), QRect(c - QPoint(12, 12), QSize(24, 24))), 0);
  EXPECT_EQ(CountNear(f.Surface(), track, f.Surface().rect()), 0);  // one point: no line yet

  Fix(34.0, 134.0010);  // 10 arc-seconds east: the old point 40 pixels west of the centre
  ASSERT_TRUE(WaitFor([&] { return f.Plot().Track.Count() == 2; }, 3));
  EXPECT_EQ(Title(), "Route Track  (2/1000)");
  EXPECT_EQ(TrackState.CenterL, 134.0010);
  EXPECT_GT(CountNear(f.Surface(), track, QRect(c.x() - 36, c.y() - 2, 20, 5)), 20);
  EXPECT_EQ(CountNear(f.Surface(), track, QRect(0, 0, c.x() - 45, f.Surface().height())), 0);
  EXPECT_EQ(f.Surface().pixel(c), qRgb(255, 255, 0));
  // The mark was erased at the old point: no yellow left there.
  EXPECT_EQ(CountNear(f.Surface(), qRgb(255, 255, 0), QRect(c.x() - 45, c.y() - 5, 10, 10)), 0);
  EXPECT_TRUE(f.TrkTimer.isActive());
}

// Old data: the mark, picture or heading circle, becomes a grey ring with the map kept around it.
TEST_F(TrackFormTest, TheMarkIsAHollowRingWhileTheDataIsOld) {
  const QRgb grey = qRgb(128, 128, 128), red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0);
  for (const bool heading : {false, true}) {
    SCOPED_TRACE(heading ? "heading circle" : "picture");
    NmeaRec.Headding = heading;
    NmeaRec.HeadGuide = true;
    TTrackForm& f = Make();
    Fix(34.0, 134.0);
    f.TrkTimerTimer();
    const QPoint c = Centre();
    const QRect mark(c - QPoint(20, 20), QSize(40, 40));
    const QRgb own = heading ? red : yellow;
    const int grid = CountNear(f.Surface(), ToQRgb(NmeaRec.GridColor), f.Surface().rect());
    ASSERT_GT(CountNear(f.Surface(), own, mark), 0);
    f.ShowDataAge(7);
    EXPECT_EQ(CountNear(f.Surface(), own, mark), 0);
    EXPECT_GT(CountNear(f.Surface(), grey, mark), 20);
    EXPECT_EQ(f.Surface().pixel(c), ToQRgb(NmeaRec.GridColor));  // hollow: the map shows through
    EXPECT_FALSE(f.lblHeadding->isVisibleTo(&f));
    f.ShowDataAge(kDataCurrent);
    EXPECT_GT(CountNear(f.Surface(), own, mark), 0);
    EXPECT_EQ(CountNear(f.Surface(), grey, mark), 0);
    EXPECT_EQ(CountNear(f.Surface(), ToQRgb(NmeaRec.GridColor), f.Surface().rect()), grid);
    EXPECT_EQ(f.lblHeadding->isVisibleTo(&f), heading);
    delete form;
    form = nullptr;
  }
}

TEST_F(TrackFormTest, NoFixRecordsNothingAndKeepsTheCaption) {
  TTrackForm& f = Make();
  NmeaRec.FixValid = false;
  f.TrkTimerTimer();
  EXPECT_EQ(f.Plot().Track.Count(), 0u);
  EXPECT_EQ(Title(), "N 0.00000 E 0.00000 [0.050]");
}

TEST_F(TrackFormTest, ClearTrackForgetsTheFixAndRedrawsTheBaseOnly) {
  TrackState.Zoom = 12;
  TTrackForm& f = Make();
  Fix(34.0, 134.0);
  f.TrkTimerTimer();
  Fix(34.0, 134.0010);
  f.TrkTimerTimer();
  ASSERT_EQ(f.Plot().Track.Count(), 2u);
  f.menClearTrack->trigger();
  EXPECT_EQ(f.Plot().Track.Count(), 0u);
  EXPECT_FALSE(NmeaRec.FixValid);
  EXPECT_EQ(CountNear(f.Surface(), ToQRgb(NmeaRec.TrackColor), f.Surface().rect()), 0);
  EXPECT_EQ(CountNear(f.Surface(), qRgb(255, 255, 0), f.Surface().rect()), 0);
  // Until the receiver reports a fix again, ticks add nothing.
  f.TrkTimerTimer();
  EXPECT_EQ(f.Plot().Track.Count(), 0u);
}

TEST_F(TrackFormTest, SaveTrackWritesTheChosenFileAndCancelWritesNothing) {
  TTrackForm& f = Make();
  Fix(35.233012, 139.452201, "S", "E");
  f.TrkTimerTimer();
  Fix(35.233012, 139.452201, "N", "W");
  NmeaRec.FixTime = "03:15:43";
  f.TrkTimerTimer();
  const std::string path = (dir / "track.txt").string();
  WriteAll(path, "old content, replaced once the user agrees\n");
  bool asked = false;
  OnModal([path, &asked](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Save Track");
    ChooseFile(dlg, path);
    OnModal([&asked](QWidget* box) {
      auto* question = qobject_cast<QMessageBox*>(box);
      ASSERT_NE(question, nullptr);
      asked = true;
      question->button(QMessageBox::Yes)->click();
    });
    static_cast<QDialog*>(dlg)->accept();
  });
  f.SaveTrack1->trigger();
  EXPECT_TRUE(asked);
  EXPECT_EQ(ReadAll(path), "03:15:42,-35.233012,139.452201\r\n03:15:43,35.233012,-139.452201\r\n");
  EXPECT_TRUE(errors.empty());

  OnModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  const int before = FileCount();
  f.SaveTrack1->trigger();
  EXPECT_EQ(FileCount(), before);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrackFormTest, ZoomByPageKeysAndTheMenuStaysWithinItsRange) {
  TTrackForm& f = Make();
  auto key = [&](int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(&f, &press);
  };
  key(Qt::Key_PageUp);
  EXPECT_EQ(TrackState.Zoom, 5);
  EXPECT_EQ(f.Plot().View.Scale, 0.02);
  EXPECT_EQ(Title(), "N 0.00000 E 0.00000 [0.020]");  // redrawn: the map layers rewrite the caption
  key(Qt::Key_PageDown);
  key(Qt::Key_PageDown);
  EXPECT_EQ(TrackState.Zoom, 7);
  f.menOut->trigger();
  EXPECT_EQ(TrackState.Zoom, 6);
  for (int i = 0; i < 20; ++i) f.menIn->trigger();
  EXPECT_EQ(TrackState.Zoom, 17);
  EXPECT_EQ(f.Plot().View.Scale, 100);
  for (int i = 0; i < 20; ++i) key(Qt::Key_PageUp);
  EXPECT_EQ(TrackState.Zoom, 1);
  EXPECT_EQ(Title(), "N 0.00000 E 0.00000 [0.001]");
  EXPECT_EQ(TrackState.CenterB, 34.0);
  EXPECT_EQ(TrackState.CenterL, 134.0);
}

TEST_F(TrackFormTest, ArrowKeysPanByOneGridStepAndRedraw) {
  TTrackForm& f = Make();
  auto key = [&](int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(&f, &press);
  };
  const double west = f.Plot().View.West;
  key(Qt::Key_Left);  // 10' grid: 0.1 degree
  EXPECT_NEAR(TrackState.CenterL, DegToDms(134.0 - 0.1), 1e-9);
  EXPECT_NEAR(f.Plot().View.West, west - 0.1, 1e-9);
  key(Qt::Key_Right);
  key(Qt::Key_Up);
  EXPECT_NEAR(TrackState.CenterL, 134.0, 1e-9);
  EXPECT_NEAR(TrackState.CenterB, DegToDms(34.1), 1e-9);
  key(Qt::Key_Down);
  EXPECT_NEAR(TrackState.CenterB, 34.0, 1e-9);
  key(Qt::Key_A);  // any other key does nothing
  EXPECT_NEAR(TrackState.CenterB, 34.0, 1e-9);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrackFormTest, MouseMovesWriteTheReadoutCaption) {
  TTrackForm& f = Make();
  const TTrackView& v = f.Plot().View;
  auto move = [&](int x, int y) {
    QMouseEvent ev(QEvent::MouseMove, QPointF(x, y), f.imgTrk->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(f.imgTrk, &ev);
  };
  move(0, 0);
  EXPECT_EQ(Title().toStdString(), ReadoutCaption(DegToDms(v.West), DegToDms(v.North), 0.05));
  move(f.Surface().width(), f.Surface().height());
  EXPECT_EQ(Title().toStdString(), ReadoutCaption(DegToDms(v.East), DegToDms(v.South), 0.05));
  // The last position is what the next drawing of the map writes again.
  f.menIn->trigger();
  EXPECT_EQ(Title().toStdString(), ReadoutCaption(v.MouseLon, v.MouseLat, 0.1));
}

TEST_F(TrackFormTest, TheWheelZoomsAboutThePointerAndTheCaptionFollows) {
  TTrackForm& f = Make();
  TTrackView& v = f.Plot().View;
  auto wheel = [&](int x, int y, int delta) {
    QWheelEvent ev(QPointF(x, y), f.imgTrk->mapToGlobal(QPointF(x, y)), QPoint(), QPoint(0, delta), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.imgTrk, &ev);
  };
  auto under = [&](int x, int y) {
    v.MouseMove(x, y);
    return std::pair(DmsToDeg(v.MouseLon), DmsToDeg(v.MouseLat));
  };
  const auto before = under(100, 60);
  wheel(100, 60, 120);
  EXPECT_EQ(TrackState.Zoom, 7);
  EXPECT_NEAR(under(100, 60).first, before.first, 2 / (v.Scale * 3600));
  EXPECT_NEAR(under(100, 60).second, before.second, 2 / (v.Scale * 3600));
  // Half notches add up; a notch towards the user zooms out.
  wheel(100, 60, 60);
  EXPECT_EQ(TrackState.Zoom, 7);
  wheel(100, 60, 60);
  EXPECT_EQ(TrackState.Zoom, 8);
  wheel(100, 60, -240);
  EXPECT_EQ(TrackState.Zoom, 6);
  EXPECT_EQ(Title().toStdString(), v.Caption());
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrackFormTest, DraggingWithTheLeftButtonPansAndRedrawsAtTheRelease) {
  TTrackForm& f = Make();
  auto mouse = [&](QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent ev(type, QPointF(x, y), f.imgTrk->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
    QApplication::sendEvent(f.imgTrk, &ev);
  };
  const QImage before = f.Surface().copy();
  mouse(QEvent::MouseButtonPress, 200, 100, Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseMove, 230, 120, Qt::NoButton, Qt::LeftButton);
  EXPECT_TRUE(f.imgTrk->Dragging());
  EXPECT_EQ(f.imgTrk->DragOffset(), QPoint(30, 20));
  EXPECT_EQ(f.Surface(), before);  // only the shown picture moves during the drag
  mouse(QEvent::MouseMove, 300, 150, Qt::NoButton, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, 300, 150, Qt::LeftButton, Qt::NoButton);
  EXPECT_FALSE(f.imgTrk->Dragging());
  // 100 pixels right and 50 down at 0.05 px/": the centre moved 2000" west and 1000" north.
  EXPECT_NEAR(DmsToDeg(TrackState.CenterL), 134.0 - 2000.0 / 3600, 1e-9);
  EXPECT_NEAR(DmsToDeg(TrackState.CenterB), 34.0 + 1000.0 / 3600, 1e-9);
  EXPECT_NE(f.Surface(), before);
  // A click without moving changes nothing; the right button does not drag.
  mouse(QEvent::MouseButtonPress, 10, 10, Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, 10, 10, Qt::LeftButton, Qt::NoButton);
  mouse(QEvent::MouseButtonPress, 10, 10, Qt::RightButton, Qt::RightButton);
  mouse(QEvent::MouseMove, 50, 50, Qt::NoButton, Qt::RightButton);
  mouse(QEvent::MouseButtonRelease, 50, 50, Qt::RightButton, Qt::NoButton);
  EXPECT_NEAR(DmsToDeg(TrackState.CenterL), 134.0 - 2000.0 / 3600, 1e-9);
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrackFormTest, TheCoordinateFormatShowsInTheReadoutAndTheGridLabels) {
  NmeaRec.CoordFormat = TCoordFormat::Dms;
  TTrackForm& f = Make();
  QMouseEvent ev(QEvent::MouseMove, QPointF(242, 153), f.imgTrk->mapToGlobal(QPointF(242, 153)), Qt::NoButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(f.imgTrk, &ev);
  // Half a pixel west and south of the centre, 20" a pixel.
  EXPECT_EQ(Title().toStdString(), "33\u00B059'50.0\"N 133\u00B059'50.0\"E [0.050]");
  NmeaRec.CoordFormat = TCoordFormat::Degrees;
  f.menIn->trigger();
  EXPECT_EQ(Title().toStdString(), "N 33.997222 E 133.997222 [0.100]");
}

TEST_F(TrackFormTest, SaveTrackAsGpxByTheFilter) {
  TTrackForm& f = Make();
  Fix(35.233012, 139.452201, "S", "E");
  NmeaRec.FixDate = "081226";
  NmeaRec.AltUnit = 'm';
  f.TrkTimerTimer();
  const std::string path = (dir / "drive").string();
  OnModal([path](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->nameFilters(), (QStringList{"Track text (*)", "GPX track (*.gpx)"}));
    dlg->selectNameFilter("GPX track (*.gpx)");
    ChooseFile(dlg, path);
    static_cast<QDialog*>(dlg)->accept();
  });
  f.SaveTrack1->trigger();
  // No extension given: the GPX filter adds one.
  const std::string text = ReadAll(path + ".gpx");
  EXPECT_NE(text.find("<trkpt lat=\"-35.391700000\" lon=\"139.756113889\"><ele>50</ele>"
                      "<time>2026-12-08T03:15:42Z</time></trkpt>"),
            std::string::npos)
      << text;
  EXPECT_TRUE(errors.empty());
}

TEST_F(TrackFormTest, ResizingRedrawsTheSurfaceAtTheNewSize) {
  TrackState.Zoom = 12;
  TTrackForm& f = Make();
  Fix(34.0, 134.0);
  f.TrkTimerTimer();
  f.show();
  f.resize(600, 400);
  ASSERT_TRUE(WaitFor([&] { return f.Surface().size() == QSize(600, 400); }, 3));
  EXPECT_EQ(f.imgTrk->size(), QSize(600, 400));
  EXPECT_NEAR(f.Plot().View.East - f.Plot().View.West, 600 / 4.0 / 3600, 1e-12);
  // The track is drawn again around the same centre, now at the new middle.
  EXPECT_EQ(f.Surface().pixel(300, 200), qRgb(255, 255, 0));
  EXPECT_EQ(f.Surface().pixel(599, 1), ToQRgb(NmeaRec.BGColor));
  // What is shown is the surface.
  const QImage shown = f.imgTrk->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(300, 200), qRgb(255, 255, 0));
  f.hide();
}

TEST_F(TrackFormTest, IntervalItemsAndOther) {
  TTrackForm& f = Make();
  TrackState.TrackEnabled = false;
  f.menTrackInterval->actions()[4]->trigger();  // "1min"
  EXPECT_EQ(TrackState.Interval, 60000);
  EXPECT_EQ(f.TrkTimer.isActive(), false);

  AnswerInput("0");
  f.menTrackInterval->actions()[6]->trigger();
  EXPECT_EQ(TrackState.Interval, 1000);
  AnswerInput("-5");
  f.menTrackInterval->actions()[6]->trigger();
  EXPECT_EQ(TrackState.Interval, 1000);
  AnswerInput("15");
  f.menTrackInterval->actions()[6]->trigger();
  EXPECT_EQ(TrackState.Interval, 15000);
  // Cancelling sets the interval again from the pre-filled text.
  AnswerInput("99", false);
  f.menTrackInterval->actions()[6]->trigger();
  EXPECT_EQ(TrackState.Interval, 15000);

  // The period is the interval plus 10 ms once the timer runs.
  Fix(34.0, 134.0);
  f.menTrack->trigger();
  EXPECT_EQ(f.TrkTimer.interval(), 15010);
}

TEST_F(TrackFormTest, ChoosingAMapDatumConvertsOnlyLaterSamples) {
  TTrackForm& f = Make();
  Fix(34.0, 134.0);
  f.TrkTimerTimer();
  const TTrackPoint first = f.Plot().Track[0].Point;
  QAction* tokyo = nullptr;
  for (QAction* a : f.mnMapDatum->actions())
    if (a->text() == "Tokyo") tokyo = a;
  ASSERT_NE(tokyo, nullptr);
  tokyo->trigger();
  EXPECT_EQ(TrackState.MapDatum, "Tokyo");
  EXPECT_EQ(f.Plot().Track[0].Point.Lat, first.Lat);
  NmeaRec.Lon = 134.0010;
  f.TrkTimerTimer();
  ASSERT_EQ(f.Plot().Track.Count(), 2u);
  EXPECT_NE(f.Plot().Track[1].Point.Lat, 34.0);  // converted from WGS 84 to Tokyo
}

TEST_F(TrackFormTest, HeadingMarkDrawsTheCircleAndArrowAndPlacesTheLabel) {
  NmeaRec.Headding = true;
  NmeaRec.HeadGuide = true;
  NmeaRec.HeadR = 25;
  NmeaRec.Course = 90;
  TTrackForm& f = Make();
  EXPECT_EQ(f.Plot().MarkWidth, 50);
  EXPECT_EQ(f.Plot().MarkHeight, 50);
  Fix(34.0, 134.0);
  f.TrkTimerTimer();
  const QPoint c = Centre();
  EXPECT_EQ(f.lblHeadding->text(), " 90.000 ");
  EXPECT_EQ(f.lblHeadding->pos(), QPoint(c.x() - 25, c.y() + 25 + 2));
  EXPECT_FALSE(f.lblHeadding->isHidden());
  const QRgb red = qRgb(255, 0, 0);
  // The shaft runs east-west through the centre and the circle passes its ends.
  EXPECT_GT(CountNear(f.Surface(), red, QRect(c.x() - 15, c.y() - 1, 30, 3)), 25);
  EXPECT_GT(CountNear(f.Surface(), red, QRect(c.x() - 3, c.y() - 26, 7, 4)), 2);
  EXPECT_GT(CountNear(f.Surface(), red, QRect(c.x() - 3, c.y() + 22, 7, 4)), 2);
  EXPECT_EQ(CountNear(f.Surface(), red, QRect(c.x() - 40, c.y() - 40, 10, 10)), 0);

  // Without the label setting the label goes; without heading the picture comes back, drawn at
  // the 50 x 50 square's corner until a picture file is chosen.
  NmeaRec.HeadGuide = false;
  NmeaRec.Lon = 134.0010;
  f.TrkTimerTimer();
  EXPECT_TRUE(f.lblHeadding->isHidden());
  NmeaRec.Headding = false;
  f.SetMapSet();
  f.WaitForLayers();
  f.FormPaint();
  EXPECT_EQ(f.Plot().MarkWidth, 50);
  EXPECT_TRUE(f.lblHeadding->isHidden());
}

TEST_F(TrackFormTest, IconMarkReplacesThePictureAndABadOneIsReportedWithoutLosingTheMaps) {
  TTrackForm& f = Make();
  QImage pic(10, 8, QImage::Format_RGB32);
  pic.fill(qRgb(0, 0, 255));
  pic.setPixel(0, 7, qRgb(0, 255, 0));  // lower-left: green is transparent
  const std::string bmp = (dir / "boat.bmp").string();
  ASSERT_TRUE(pic.save(QString::fromStdString(bmp), "BMP"));
  TrackState.IconMark = bmp;
  f.SetMapSet();
  f.WaitForLayers();
  EXPECT_EQ(f.MarkPicture().size(), QSize(10, 8));
  EXPECT_EQ(f.Plot().MarkWidth, 10);
  Fix(34.0, 134.0);
  f.TrkTimerTimer();
  const QPoint c = Centre();
  EXPECT_EQ(f.Surface().pixel(c), qRgb(0, 0, 255));
  EXPECT_NE(f.Surface().pixel(c.x() - 5, c.y() + 3), qRgb(0, 255, 0));
  EXPECT_EQ(f.Surface().pixel(c.x() - 4, c.y() + 3), qRgb(0, 0, 255));

  // A file that does not load: reported with its name; the picture stays and the set-up goes on
  // to load the map bitmap.
  QImage map(100, 100, QImage::Format_RGB32);
  map.fill(qRgb(200, 100, 50));
  ASSERT_TRUE(map.save(QString::fromStdString((dir / "area.bmp").string()), "BMP"));
  WriteAll(dir / "area.HDR", "ULXMAP 133.95\nULYMAP 34.05\nXDIM 0.001\nYDIM 0.001\n");
  LayerPath(TrackState, 'B') = (dir / "area.bmp").string();
  TrackState.IconMark = (dir / "missing.ico").string();
  f.Plot().Track.Clear();
  f.SetMapSet();
  f.WaitForLayers();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(TrackState.IconMark), std::string::npos) << errors[0];
  EXPECT_EQ(f.MarkPicture().size(), QSize(10, 8));
  EXPECT_EQ(TrackState.IconMark, (dir / "missing.ico").string());
  f.FormPaint();
  EXPECT_EQ(f.Surface().pixel(c + QPoint(3, 3)), qRgb(200, 100, 50));
  EXPECT_TRUE(messages.empty());
  // Clearing the setting keeps the picture loaded before.
  TrackState.IconMark.clear();
  f.SetMapSet();
  f.WaitForLayers();
  EXPECT_EQ(f.MarkPicture().size(), QSize(10, 8));
}

TEST_F(TrackFormTest, AGeoreferencedBitmapIsDrawnUnderTheGridAndHeaderProblemsAreReported) {
  TTrackForm& f = Make();
  // 100 x 100 pixels of 1/1000 degree around the default centre (34 N, 134 E), which at the
  // default zoom is smaller than the view: drawn whole into its rectangle.
  QImage pic(100, 100, QImage::Format_RGB32);
  pic.fill(qRgb(200, 100, 50));
  const std::string bmp = (dir / "area.bmp").string();
  ASSERT_TRUE(pic.save(QString::fromStdString(bmp), "BMP"));
  WriteAll(dir / "area.HDR", "ulxmap 133.95\nULYMAP 34.05\nXDIM 0.001,0\nYDIM 0.001\n");
  LayerPath(TrackState, 'B') = bmp;
  f.SetMapSet();
  f.WaitForLayers();
  f.FormPaint();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(f.Surface().pixel(Centre() + QPoint(3, 3)), qRgb(200, 100, 50));
  EXPECT_EQ(CountNear(f.Surface(), qRgb(200, 100, 50), QRect(0, 0, 100, 100)), 0);
  // 0.1 degree at 0.05 pixels per arc-second: 18 pixels across.
  EXPECT_NEAR(CountNear(f.Surface(), qRgb(200, 100, 50), QRect(0, Centre().y() + 3, 485, 1)), 18, 2);
  // Zoomed in, the bitmap is larger than the view and fills it.
  for (int i = 0; i < 6; ++i) f.menIn->trigger();
  EXPECT_GT(CountNear(f.Surface(), qRgb(200, 100, 50), f.Surface().rect()), 485 * 305 * 8 / 10);

  WriteAll(dir / "area.HDR", "ULXMAP\t133.95\nULYMAP\t34.05\nXDIM\t0.001\nYDIM\t0.001\n");
  f.SetMapSet();
  f.WaitForLayers();
  EXPECT_EQ(messages, (std::vector<std::string>{"Wrong HDR: " + (dir / "area.HDR").string()}));
  EXPECT_EQ(LayerPath(TrackState, 'B'), bmp);
  std::filesystem::remove(dir / "area.HDR");
  f.SetMapSet();
  f.WaitForLayers();
  EXPECT_EQ(messages.back(), ".HDR File not found: " + (dir / "area.HDR").string());
  EXPECT_TRUE(LayerPath(TrackState, 'B').empty());
  f.FormPaint();
  EXPECT_EQ(f.Surface().pixel(Centre() + QPoint(3, 3)), ToQRgb(NmeaRec.BGColor));
}

// The window goes on while its layers load; a load asked for meanwhile drops the older one,
// whose error is never said.
TEST_F(TrackFormTest, LayersLoadAwayFromTheWindowAndANewerLoadDropsTheOlder) {
  TTrackForm& f = Make();
  const std::string broken = (dir / "broken.gpx").string(), good = (dir / "track.gpx").string();
  WriteAll(broken, "<gpx><trk>");
  WriteAll(good,
           "<gpx><trk><trkseg><trkpt lat=\"34.01\" lon=\"134.01\"/><trkpt lat=\"34.02\" "
           "lon=\"134.02\"/></trkseg></trk></gpx>");
  const auto wholeLayerEntries = [&] {
    emit f.menWholeLayer->aboutToShow();
    return f.menWholeLayer->actions().size();
  };
  LayerPath(TrackState, 'W') = broken;
  f.SetMapSet();
  // Shown only once the event loop has it, never inside the call.
  EXPECT_TRUE(f.LoadingLayers());
  LayerPath(TrackState, 'W') = good;
  f.SetMapSet();
  f.WaitForLayers();
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.LoadingLayers());
  EXPECT_TRUE(errors.empty()) << errors[0];
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(wholeLayerEntries(), 1);

  // Alone, the broken track says its error with the file's name, as a load on the window did.
  LayerPath(TrackState, 'W') = broken;
  f.SetMapSet();
  f.WaitForLayers();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(broken), std::string::npos) << errors[0];
}

// A file named on the command line is the waypoint layer for the run, shown whole; the settings
// keep the layer's own file, which is back when the named one cannot be read.
TEST_F(TrackFormTest, AFileOpenedForTheRunIsShownWholeWhileTheSettingKeepsItsOwn) {
  TrackState.MapDatum = "WGS 84";
  const std::string own = (dir / "own.gpx").string(), route = (dir / "route.gpx").string(),
                    broken = (dir / "broken.gpx").string();
  WriteAll(own, "<gpx><wpt lat=\"34.0\" lon=\"134.0\"/></gpx>");
  WriteAll(route,
           "<gpx><trk><trkseg><trkpt lat=\"35.00\" lon=\"139.00\"/><trkpt lat=\"35.02\" "
           "lon=\"139.02\"/></trkseg></trk></gpx>");
  WriteAll(broken, "<gpx><trk>");
  LayerPath(TrackState, 'W') = own;
  TTrackForm& f = Make();
  f.WaitForLayers();
  const auto savedPath = [&] {
    SaveSettings();
    const std::string ini = ReadAll(dir / "Orvane.ini");
    const size_t at = ini.find("WayPntMap=");
    return at == std::string::npos ? std::string() : ini.substr(at + 10, ini.find_first_of("\r\n", at) - at - 10);
  };

  ASSERT_NE(RunLayerKindOf(route), nullptr);
  EXPECT_EQ(RunLayerKindOf((dir / "drive.log").string()), nullptr);
  f.OpenForRun(*RunLayerKindOf(route), route);
  f.WaitForLayers();
  QCoreApplication::processEvents();
  EXPECT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(LayerPath(TrackState, 'W'), route);
  // D.MMSS: the view's centre lies on the route, about 35°00'36" N, 139°00'36" E.
  EXPECT_NEAR(TrackState.CenterB, 35.0036, 0.0010);
  EXPECT_NEAR(TrackState.CenterL, 139.0036, 0.0010);
  EXPECT_EQ(savedPath(), own);

  f.OpenForRun(*RunLayerKindOf(broken), broken);
  f.WaitForLayers();
  f.WaitForLayers();  // the reload of the layer's own file
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(broken), std::string::npos) << errors[0];
  EXPECT_EQ(LayerPath(TrackState, 'W'), own);
  EXPECT_EQ(savedPath(), own);
}

// The grid labels' boxes as the window's canvas writes them, measured in its own font.
struct LabelBoxes : TQtCanvas {
  using TQtCanvas::TQtCanvas;
  void TextOut(int x, int y, const std::string& text) override {
    Boxes.push_back(QRect(QPoint(x, y), QSize(TextExtent(text).cx, TextExtent(text).cy)));
    TQtCanvas::TextOut(x, y, text);
  }
  std::vector<QRect> Boxes;
};

TEST_F(TrackFormTest, GridLabelsStayInsideAndApartAtEveryZoom) {
  QImage img(Make().Surface().size(), QImage::Format_RGB32);
  TTrackView view(TrackState);
  for (TrackState.Zoom = kZoomMin; TrackState.Zoom <= kZoomMax; ++TrackState.Zoom) {
    view.ApplyZoom();
    LabelBoxes canvas(img);
    view.DrawBase(canvas, clWhite, clBlue, nullptr);
    EXPECT_GE(canvas.Boxes.size(), 2u) << TrackState.Zoom;
    for (size_t i = 0; i < canvas.Boxes.size(); ++i) {
      EXPECT_TRUE(img.rect().contains(canvas.Boxes[i])) << TrackState.Zoom;
      for (size_t j = 0; j < i; ++j) EXPECT_FALSE(canvas.Boxes[i].intersects(canvas.Boxes[j])) << TrackState.Zoom;
    }
  }
}

TEST_F(TrackFormTest, CloseButtonRunsTheToggle) {
  TTrackForm& f = Make();
  int toggles = 0;
  f.OnCloseToggle = [&] {
    ++toggles;
    f.hide();
  };
  f.show();
  f.close();
  EXPECT_EQ(toggles, 1);
  EXPECT_FALSE(f.isVisible());
}

}  // namespace
}  // namespace orvane
