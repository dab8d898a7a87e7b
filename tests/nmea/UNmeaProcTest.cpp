#include "nmea/UNmeaProc.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/nmea/RecordingDisplay.h"

namespace orvane {
namespace {

using test::RecordingDisplay;

class FakeLog : public TNmeaLogWriter {
public:
  bool saveNow = false;
  bool fail = false;
  std::vector<std::string> lines;
  bool SaveNow() const override { return saveNow; }
  bool WriteLogLine(const std::string& s) override {
    if (fail) throw std::runtime_error("Cannot create file \"/x/NMEA.log\": Permission denied");
    lines.push_back(s);
    return true;
  }
};

struct Framing : ::testing::Test {
  TNmeaRec rec;
  RecordingDisplay display;
  FakeLog log;
  TNmeaProc proc{rec, display, &log};
  std::vector<std::string> types;  // decoded sentence types, in order
  std::vector<TSentenceOutcome> outcomes;

  void SetUp() override {
    proc.OnSentence = [this](const TSentenceInfo& i) {
      outcomes.push_back(i.outcome);
      if (i.outcome == TSentenceOutcome::Decoded) types.emplace_back(i.type);
    };
  }
  void Receive(const std::string& bytes) {
    proc.ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
};

const std::string kGga = "$GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5C";

TEST_F(Framing, OneSentenceInOneDeliveryDecodesWithoutItsChecksum) {
  Receive(kGga + "\r\n");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
  ASSERT_EQ(proc.Fields().size(), 15u);
  EXPECT_EQ(proc.Fields().back(), "");  // the field before "*", the checksum is gone
  EXPECT_EQ(display.recv, std::vector<std::string>{kGga});
  EXPECT_EQ(proc.PendingText(), "");
}

TEST_F(Framing, ASentenceSplitAcrossDeliveriesIsJoined) {
  Receive("$GPG");
  EXPECT_TRUE(types.empty());
  EXPECT_EQ(proc.PendingText(), "$GPG");
  Receive(kGga.substr(4) + "\r\n");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
  EXPECT_EQ(proc.PendingText(), "");
}

TEST_F(Framing, SplitBetweenCrAndLfLeavesTheLfToSpoilTheNextSentence) {
  Receive(kGga + "\r");
  Receive("\n" + kGga + "\r\n");
  // The late LF starts the next sentence, which no longer begins with "$".
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
  EXPECT_EQ(outcomes.back(), TSentenceOutcome::Dropped);
}

TEST_F(Framing, ChecksumIsNeitherVerifiedNorRequired) {
  Receive("$GPGGA,1,,,,,1,,,,,,,,*FF\r\n$GPGGA,2,,,,,1,,,,,,,,\r\n");
  EXPECT_EQ(types, (std::vector<std::string>{"GGA", "GGA"}));
  EXPECT_EQ(rec.FixTime, "2::");
}

TEST_F(Framing, DispatchComparesOnlyTheLeadingCharacters) {
  struct Row { std::string sentence; const char* type; } rows[] = {
      {"$GPGSV,1,1,00" + std::string(16, ','), "GSV"},
      {"$GPGSA,A,1" + std::string(15, ','), "GSA"},
      {"$GPGLL,,,,,,", "GLL"},
      {"$GPRMC,,,,,,,,,,,", "RMC"},
      {"$PGRMM,WGS 84", "PGRMM"},
      {"$GPGGAX,,,,,,,,,,,,,,", "GGA"},
      {"$PGRMMM,Tokyo", "PGRMM"},
  };
  for (const Row& r : rows) {
    types.clear();
    Receive(r.sentence + "\r\n");
    EXPECT_EQ(types, std::vector<std::string>{r.type}) << r.sentence;
  }
}

TEST_F(Framing, OtherSentencesAreShownAndLoggedButNotDecoded) {
  log.saveNow = true;
  const char* others[] = {"$GPVTG,45.5,T,,M,10.0,N,18.5,K*4E", "$GNGGA,123456,3539.1,N,13945.5,E,1,07,1.0,45.3,M,36.7,M,,",
                          "$PGRME,15.0,M,45.0,M,25.0,M*1C", "$GPGS", "$"};
  for (const char* s : others) Receive(std::string(s) + "\r\n");
  EXPECT_TRUE(types.empty());
  EXPECT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(display.recv.size(), 10u);  // the sentence, then ">" and the sentence
  EXPECT_EQ(rec.FixTime, "");
}

TEST_F(Framing, LinesNotBeginningWithDollarAreDroppedWithoutATrace) {
  log.saveNow = true;
  Receive(" $GPGGA,1,,,,,1,,,,,,,,\r\n!AIVDM,1,1\r\n\r\nnoise\r\n");
  EXPECT_TRUE(display.recv.empty());
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(outcomes, std::vector<TSentenceOutcome>(4, TSentenceOutcome::Dropped));
}

TEST_F(Framing, TooShortSentencesAreShownButLeaveTheRecord) {
  Receive("$GPGGA,123456,3539.1,N\r\n$PGRMM\r\n");
  EXPECT_EQ(outcomes, (std::vector<TSentenceOutcome>{TSentenceOutcome::TooFewFields, TSentenceOutcome::TooFewFields}));
  EXPECT_EQ(rec.FixTime, "");
  EXPECT_EQ(display.recv.size(), 2u);
}

TEST_F(Framing, ReplayedLineKeepsItsLfOnlyWithoutAChecksum) {
  // A replayed log line arrives as the line, then LF, then CR.
  proc.ProcessNmea("$PGRMM,Tokyo*3C\n\r");
  EXPECT_EQ(rec.GpsDatum, "Tokyo");
  proc.ProcessNmea("$PGRMM,WGS 84\n\r");
  EXPECT_EQ(rec.GpsDatum, "WGS 84\n");
  EXPECT_EQ(proc.PendingText(), "");
}

TEST_F(Framing, SavingWritesTheWholeSentenceAndMarksTheCaption) {
  log.saveNow = true;
  Receive(kGga + "\r\n");
  EXPECT_EQ(log.lines, std::vector<std::string>{kGga});
  EXPECT_EQ(display.recv, (std::vector<std::string>{kGga, ">" + kGga}));
}

TEST_F(Framing, ALogFailureEndsTheDeliveryButLosesNoPendingText) {
  log.saveNow = true;
  log.fail = true;
  EXPECT_THROW(Receive(kGga + "\r\n" + kGga + "\r\n$GP"), std::runtime_error);
  EXPECT_TRUE(types.empty());
  EXPECT_EQ(proc.PendingText(), "");  // the failed sentence is consumed, the rest was not handed on
  log.fail = false;
  proc.ProcessNmea(kGga + "\r\n");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
  EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(Framing, ALogFailureInsideOnePieceKeepsTheSentencesAfterIt) {
  log.saveNow = true;
  log.fail = true;
  // One piece holding two sentences (CR without LF between them).
  EXPECT_THROW(proc.ProcessNmea(kGga + "\r" + "X" + kGga + "\r\n"), std::runtime_error);
  EXPECT_EQ(proc.PendingText(), kGga + "\r\n");
  log.fail = false;
  proc.ProcessNmea("");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
}

TEST_F(Framing, TwoSentencesInOneDeliveryAreBothHandledInOrder) {
  Receive("$PGRMM,Tokyo*3C\r\n" + kGga + "\r\n");
  EXPECT_EQ(types, (std::vector<std::string>{"PGRMM", "GGA"}));
}

TEST_F(Framing, AStreamWithoutCarriageReturnsStaysBounded) {
  const std::string junk(1000, 'x');
  for (int i = 0; i < 1000; ++i) Receive(junk);
  EXPECT_LE(proc.PendingText().size(), TNmeaProc::kMaxPendingText);
  // Recovery: the next well-formed sentence after a CR is decoded.
  Receive("\r\n" + kGga + "\r\n");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
}

TEST_F(Framing, EveryByteValueReachesTheFields) {
  std::string s = "$PGRMM,";
  for (int c = 0; c < 256; ++c)
    if (c != 10 && c != 13 && c != ',' && c != '*' && c != '"') s.push_back(static_cast<char>(c));
  proc.ProcessNmea(s + "\r\n");
  EXPECT_EQ(rec.GpsDatum, s.substr(7));
}

}  // namespace
}  // namespace orvane
