// SPDX-License-Identifier: GPL-3.0-or-later
#include "nmea/UNmeaProc.h"

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string_view>

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

const std::string kGga = "$GPGGA,123456.00,3539.1234,N,13945.5000,E,1,07,1.0,45.3,M,36.7,M,,*5A";

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

TEST_F(Framing, SplitBetweenCrAndLfLosesNoSentence) {
  Receive(kGga + "\r");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});  // handled at its CR, not at the late LF
  Receive("\n" + kGga + "\r\n");
  EXPECT_EQ(types, (std::vector<std::string>{"GGA", "GGA"}));
  EXPECT_EQ(outcomes.size(), 2u);
  // Only an LF is the rest of a line end; any other character begins the next text.
  proc.ProcessNmea(kGga + "\r");
  proc.ProcessNmea("X\r\n");
  EXPECT_EQ(outcomes.back(), TSentenceOutcome::Dropped);
  EXPECT_EQ(display.recv.back(), kGga);
}

// A burst of three sentences, each ended by `end`.
std::string Burst(const std::string& end) {
  return "$GPGSA,A,3,02,05,,,,,,,,,,,1.8,1.0,1.5*39" + end + kGga + end +
         "$GPRMC,010203.00,A,3539.1234,N,13945.5000,E,10.0,45.5,061226,7.0,W,A*23" + end;
}

// Receivers, captures, pipes and text-mode copies end their lines in all of these ways.
TEST_F(Framing, EveryLineEndFramesOneSentenceHoweverTheBurstIsCut) {
  const std::vector<std::string> all{"GSA", "GGA", "RMC"};
  for (const char* end : {"\r\n", "\n", "\r\r\n", "\r"}) {
    const std::string burst = Burst(end);
    for (size_t cut = 0; cut <= burst.size(); ++cut) {
      types.clear();
      outcomes.clear();
      Receive(burst.substr(0, cut));
      Receive(burst.substr(cut));
      const std::string row = testing::PrintToString(end) + " cut at " + std::to_string(cut);
      EXPECT_EQ(types, all) << row;
      EXPECT_EQ(outcomes.size(), 3u) << row;  // no empty line between the sentences
      EXPECT_EQ(proc.PendingText(), "") << row;
    }
    types.clear();
    proc.ProcessNmea(burst);
    EXPECT_EQ(types, all) << testing::PrintToString(end) << " replayed";
  }
}

// A digit flipped on the line once moved the fix: a sentence whose checksum fails is shown and
// logged as received, but not decoded. One without a checksum is decoded as before.
TEST_F(Framing, OnlyASentenceWhoseChecksumMatchesOrIsAbsentIsDecoded) {
  const std::pair<std::string, TSentenceOutcome> cases[] = {
      {"$GPGGA,1,,,,,1,,,,,,,,*56", TSentenceOutcome::Decoded},
      {"$GPGGA,2,,,,,1,,,,,,,,", TSentenceOutcome::Decoded},
      {"$GPGGA,1,,,,,1,,,,,,,,*5a", TSentenceOutcome::BadChecksum},  // 0x56 written as 5A
      {"$GPGGA,7,,,,,1,,,,,,,,*56", TSentenceOutcome::BadChecksum},  // a digit flipped
      {"$GPGGA,1,,,,,1,,,,,,,,*", TSentenceOutcome::BadChecksum},
      {"$GPGGA,1,,,,,1,,,,,,,,*5", TSentenceOutcome::BadChecksum},
      {"$GPGGA,1,,,,,1,,,,,,,,*56x", TSentenceOutcome::BadChecksum},
      {"$GPGGA,1,,,,,1,,,,,,,,*ZZ", TSentenceOutcome::BadChecksum},
      {"$GPXYZ,1*00", TSentenceOutcome::Ignored},  // nothing to decode, nothing to check
  };
  log.saveNow = true;
  for (const auto& [sentence, outcome] : cases) {
    SCOPED_TRACE(sentence);
    rec.FixTime.clear();
    outcomes.clear();
    log.lines.clear();
    Receive(sentence + "\r\n");
    EXPECT_EQ(outcomes, std::vector<TSentenceOutcome>{outcome});
    EXPECT_EQ(log.lines, std::vector<std::string>{sentence});
    EXPECT_EQ(display.recv.back(), ">" + sentence);
    EXPECT_EQ(rec.FixTime.empty(), outcome != TSentenceOutcome::Decoded);
  }
  // Hand-made logs may switch the check off.
  rec.Checksum = false;
  outcomes.clear();
  Receive("$GPGGA,7,,,,,1,,,,,,,,*56\r\n");
  EXPECT_EQ(outcomes, std::vector<TSentenceOutcome>{TSentenceOutcome::Decoded});
}

TEST_F(Framing, DispatchComparesOnlyTheLeadingCharacters) {
  struct Row {
    std::string sentence;
    const char* type;
  } rows[] = {
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
  const char* others[] = {"$GPHDT,274.07,T*03", "$GNGGA,123456,3539.1,N,13945.5,E,1,07,1.0,45.3,M,36.7,M,,",
                          "$PGRME,15.0,M,45.0,M,25.0,M*1C", "$GPGS", "$"};
  for (const char* s : others) Receive(std::string(s) + "\r\n");
  EXPECT_TRUE(types.empty());
  EXPECT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(display.recv.size(), 5u);  // once each, marked as logged
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

TEST_F(Framing, ALineEndNeverReachesTheFields) {
  proc.ProcessNmea("$PGRMM,WGS 84\n");
  EXPECT_EQ(rec.GpsDatum, "WGS 84");
  proc.ProcessNmea("$PGRMM,Tokyo\r\r\n");
  EXPECT_EQ(rec.GpsDatum, "Tokyo");
  EXPECT_EQ(proc.PendingText(), "");
}

TEST_F(Framing, SavingWritesTheWholeSentenceAndMarksTheCaption) {
  log.saveNow = true;
  Receive(kGga + "\r\n");
  EXPECT_EQ(log.lines, std::vector<std::string>{kGga});
  // Shown once, after the write, with the mark of a logged sentence.
  EXPECT_EQ(display.recv, (std::vector<std::string>{">" + kGga}));
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
  EXPECT_THROW(proc.ProcessNmea(kGga + "\r" + kGga + "\r\n"), std::runtime_error);
  EXPECT_EQ(proc.PendingText(), kGga + "\r\n");
  log.fail = false;
  proc.ProcessNmea("");
  EXPECT_EQ(types, std::vector<std::string>{"GGA"});
}

TEST_F(Framing, TwoSentencesInOneDeliveryAreBothHandledInOrder) {
  Receive("$PGRMM,Tokyo*2F\r\n" + kGga + "\r\n");
  EXPECT_EQ(types, (std::vector<std::string>{"PGRMM", "GGA"}));
}

TEST_F(Framing, AStreamWithoutCarriageReturnsStaysBounded) {
  const std::string junk(1000, 'x');
  for (int i = 0; i < 1000; ++i) Receive(junk);
  EXPECT_LE(proc.PendingText().size(), TNmeaProc::kMaxPendingText);
  // Recovery: the next well-formed sentence after a line end is decoded.
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

// The framing kept simple, as the reference: a delivery is cut after each line feed and each
// piece appended to the pending text, which is framed at line ends (LF, CR LF, CR CR LF, or a CR
// before anything else) and then cut to its newest part; a line end split between two texts is
// joined again.
class ReferenceFraming {
public:
  std::string pending;
  std::vector<std::string> sentences, fields;
  int failAt = -1;  // the log write (counted from 0) that fails

  void Receive(std::string_view bytes) {
    size_t from = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] != '\n') continue;
      Process(bytes.substr(from, i + 1 - from));
      from = i + 1;
    }
    if (from < bytes.size()) Process(bytes.substr(from));
  }
  void Process(std::string_view text) {
    // A line end cut after its CRs: CR | LF, CR | CR LF, CR CR | LF.
    if (!text.empty() && crs > 0) {
      const int had = std::exchange(crs, 0);
      if (text[0] == '\n') {
        text.remove_prefix(1);
      } else if (text[0] == '\r' && had == 1) {
        text.remove_prefix(1);
        if (text.empty())
          crs = 2;
        else if (text[0] == '\n')
          text.remove_prefix(1);
      }
    }
    pending.append(text);
    size_t start = 0;
    bool failed = false;
    for (size_t end; !failed && (end = pending.find_first_of("\r\n", start)) != std::string::npos;) {
      std::string s = pending.substr(start, end - start);
      if (std::exchange(overlong, false) || s.size() > TNmeaProc::kMaxPendingText) {
        const size_t dollar = s.rfind('$');
        s = dollar == std::string::npos || s.size() - dollar > TNmeaProc::kMaxPendingText ? "" : s.substr(dollar);
      }
      start = end + 1;
      if (pending[end] == '\r') {
        if (start < pending.size() && pending[start] == '\r') ++start;
        if (start == pending.size())
          crs = static_cast<int>(start - end);
        else if (pending[start] == '\n')
          ++start;
      }
      if (!s.empty() && s[0] == '$' && writes++ == failAt) {
        failed = true;
        continue;
      }
      sentences.push_back(s);
      if (!s.empty() && s[0] == '$') {
        tcsv csv;
        csv.text = s.substr(0, s.find('*'));
        csv.split();
        fields = csv.items;
      }
    }
    pending.erase(0, start);
    if (pending.size() > TNmeaProc::kMaxPendingText) {
      pending.erase(0, pending.size() - TNmeaProc::kMaxPendingText);
      overlong = true;
    }
    if (failed) throw std::runtime_error("log");
  }

private:
  int crs = 0;            // CRs of a line end that the last text ended in
  bool overlong = false;  // the pending text was cut since the last sentence end
  int writes = 0;
};

class FailingLog : public TNmeaLogWriter {
public:
  int failAt = -1;
  bool SaveNow() const override { return true; }
  bool WriteLogLine(const std::string&) override {
    if (writes++ == failAt) throw std::runtime_error("log");
    return true;
  }

private:
  int writes = 0;
};

// Random streams of sentence characters, line ends, garbage and long stretches without a CR, in
// random deliveries and replayed texts, with one failing log write: the framing in place must
// frame, fail and keep pending exactly as the reference does.
TEST(FramingInPlace, MatchesTheReferenceOnRandomStreams) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    TNmeaRec rec;
    TNullDisplay display;
    FailingLog log;
    TNmeaProc proc(rec, display, &log);
    ReferenceFraming ref;
    ref.failAt = log.failAt = static_cast<int>(random() % 40);
    std::vector<std::string> got;
    proc.OnSentence = [&](const TSentenceInfo& i) { got.emplace_back(i.sentence); };
    static constexpr char kChars[] = "$$GP,,,,1*\r\r\n\nxx\"";
    for (int delivery = 0; delivery < 40; ++delivery) {
      std::string bytes;
      const size_t size = random() % 8 == 0 ? 3000 + random() % 6000 : random() % 200;
      for (size_t i = 0; i < size; ++i) bytes += random() % 50 == 0 ? '\n' : kChars[random() % (sizeof kChars - 1)];
      if (random() % 4 == 0) std::replace(bytes.begin(), bytes.end(), '\r', 'x');
      if (random() % 4 == 0) {
        // Garbage with line feeds but no CR, longer than the pending text may grow.
        std::string stretch(4000 + random() % 2000, 'x');
        for (size_t i = random() % 700; i < stretch.size(); i += 1 + random() % 1400) stretch[i] = '\n';
        bytes.insert(random() % (bytes.size() + 1), stretch);
      }
      const bool replayed = random() % 5 == 0;
      bool refFailed = false, failed = false;
      try {
        replayed ? ref.Process(bytes) : ref.Receive(bytes);
      } catch (const std::runtime_error&) {
        refFailed = true;
      }
      try {
        if (replayed)
          proc.ProcessNmea(bytes);
        else
          proc.ProcessReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      } catch (const std::runtime_error&) {
        failed = true;
      }
      std::fill(bytes.begin(), bytes.end(), 'Z');  // the fields must not view the caller's bytes
      ASSERT_EQ(failed, refFailed) << "round " << round << ", delivery " << delivery;
      ASSERT_EQ(got, ref.sentences) << "round " << round << ", delivery " << delivery;
      ASSERT_EQ(proc.PendingText(), ref.pending) << "round " << round << ", delivery " << delivery;
      ASSERT_EQ(std::vector<std::string>(proc.Fields().begin(), proc.Fields().end()), ref.fields)
          << "round " << round << ", delivery " << delivery;
    }
  }
}

}  // namespace
}  // namespace orvane
