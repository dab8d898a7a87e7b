// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with a multi-GNSS receiver: the sky view's places beyond 24 satellites and their
// lettered labels, and the question asked once when such a receiver is not decoded.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "nmea/NmeaRec.h"
#include "tests/gui/WindowTest.h"

namespace orvane {
namespace {

// A GSV cycle of `count` satellites numbered from `first`.
std::string Cycle(const std::string& talker, int first, int count) {
  std::string out;
  const int messages = (count + 3) / 4;
  for (int m = 1; m <= messages; ++m) {
    std::string s = talker + "GSV," + std::to_string(messages) + "," + std::to_string(m) + "," + std::to_string(count);
    for (int k = 0; k < 4 && 4 * (m - 1) + k < count; ++k)
      s += "," + std::to_string(first + 4 * (m - 1) + k) + ",30,90,40";
    out += Sentence(s);
  }
  return out;
}

TEST_F(WindowTest, SkyViewKeepsEverySatelliteWithItsSystemLetterOnlyInGnssMode) {
  WriteAll(ini, "[Settings]\nComPort=16\nGnss=1\n\n[Ports]\nCOM16=" + (dir / "none").string() + "\n");
  CreateForms();
  Session->Receiver.Proc().ProcessNmea(Cycle("GP", 1, 30) + Cycle("GL", 65, 20) + Cycle("GA", 1, 12));
  const TSkyPanel* sky = SatVForm->pnlSat;
  EXPECT_EQ(sky->Sat(1).Prn, "G1");
  EXPECT_EQ(sky->Sat(31).Prn, "R65");
  EXPECT_EQ(sky->Sat(62).Prn, "E12");
  for (int n = 1; n <= kMaxGnssSats; ++n) EXPECT_EQ(sky->Sat(n).Visible, n <= 62) << n;

  NmeaRec.Gnss = false;
  Session->Receiver.Proc().ProcessNmea(Cycle("GP", 1, 28));
  EXPECT_EQ(sky->Sat(1).Prn, "1");
  for (int n = 1; n <= kMaxGnssSats; ++n) EXPECT_EQ(sky->Sat(n).Visible, n <= kMaxSats) << n;
}

QMessageBox* QuestionBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  return nullptr;
}

// Each case: what the file holds, the sentences at their seconds, and the answer.
struct TQuestionCase {
  const char* name;
  const char* settings;
  std::vector<std::pair<int, const char*>> sentences;  // second, body
  bool asked;
  QMessageBox::StandardButton answer;
  const char* saved;  // what the file then holds
};

constexpr const char* kGga = "GNGGA,101010.00,5130.0000,N,00007.0000,W,1,12,0.8,20.0,M,47.0,M,,";
constexpr const char* kGpGga = "GPGGA,101010.00,5130.0000,N,00007.0000,W,1,12,0.8,20.0,M,47.0,M,,";

TEST_F(WindowTest, TheMultiGnssQuestionIsAskedOnceAndItsAnswerKept) {
  const TQuestionCase cases[] = {
      {"yes switches on", "", {{0, kGga}, {9, kGga}, {10, kGga}}, true, QMessageBox::Yes, "Gnss=1\nGnssAsked=1\n"},
      {"no keeps off", "", {{0, kGga}, {12, kGga}}, true, QMessageBox::No, "Gnss=0\nGnssAsked=1\n"},
      {"too soon", "", {{0, kGga}, {9, kGga}}, false, QMessageBox::NoButton, nullptr},
      {"a GP fix restarts the wait", "", {{0, kGga}, {5, kGpGga}, {12, kGga}}, false, QMessageBox::NoButton, nullptr},
      {"asked before", "GnssAsked=1\n", {{0, kGga}, {30, kGga}}, false, QMessageBox::NoButton, nullptr},
  };
  for (const TQuestionCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll(ini, std::string("[Settings]\n") + c.settings);
    CreateForms();
    int64_t now = 0;
    Session->Receiver.SetClock([&now] { return now; });
    for (const auto& [second, body] : c.sentences) {
      now = second * 1000;
      Session->Receiver.Proc().ProcessNmea(Sentence(body));
    }
    QMessageBox* box = QuestionBox();
    ASSERT_EQ(box != nullptr, c.asked);
    if (box) {
      EXPECT_EQ(box->text(), kGnssQuestion);
      EXPECT_FALSE(box->isModal());
      box->button(c.answer)->click();
      QApplication::processEvents();
      EXPECT_EQ(NmeaRec.Gnss, c.answer == QMessageBox::Yes);
      const std::string file = ReadAll(ini);
      EXPECT_NE(file.find(c.saved), std::string::npos) << file;
      // Never again in this run, and with Yes the sentence is decoded at once.
      now += 60000;
      NmeaRec.Lat = 0;
      Session->Receiver.Proc().ProcessNmea(Sentence(kGga));
      EXPECT_EQ(QuestionBox(), nullptr);
      EXPECT_EQ(NmeaRec.Lat != 0, c.answer == QMessageBox::Yes);
    }
    DestroyForms();
    QApplication::processEvents();
  }
}

}  // namespace
}  // namespace orvane
