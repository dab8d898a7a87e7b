// SPDX-License-Identifier: GPL-3.0-or-later
// The chart converter: the record text of a small cell, updates applied record by record, broken
// cells refused with their cause, and the program itself on files.
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/SplitCommaText.h"
#include "maps/UEncMap.h"
#include "s57/S57Cell.h"
#include "tests/common/TempFiles.h"
#include "tests/tools/S57Writer.h"
#include "tests/track/RecordingCanvas.h"

namespace orvane {
namespace {

using namespace s57w;
using test::RecordingCanvas;
using test::TCanvasOp;
using TRecords = std::vector<std::vector<TField>>;

std::vector<uint8_t> Cell(const TRecords& records) {
  TWriter w;
  for (const auto& r : records) w.Record(r);
  const std::string b = w.Bytes();
  return {b.begin(), b.end()};
}

// Two soundings, two connected nodes, the edge 4660 between them, a sounding feature and a line.
TRecords SmallCell() {
  return {{Dsid("2", "0")},
          {Dspm(10000000, 10)},
          {Vrid(110, 1), Sg3d({{354123456, 1397654321, 125}, {354123556, 1397654421, -3}})},
          {Vrid(120, 1), Sg2d({{354000000, 1397000000}})},
          {Vrid(120, 2), Sg2d({{354100000, 1397100000}})},
          {Vrid(130, 4660), Vrpt({{120, 1, 255, 255, 1, 255}, {120, 2, 255, 255, 2, 255}}),
           Sg2d({{354030000, 1397040000}, {354060000, 1397070000}})},
          {Frid(1, 1, 2, 129), Foid(540, 77, 1), Attf({{116, "Cap \xe9"}}), Fspt({{110, 1, 255, 255, 255}})},
          {Frid(2, 2, 2, 30), Foid(540, 78, 1), Fspt({{130, 4660, 2, 255, 255}})}};
}

std::string Text(const TS57Cell& cell) {
  std::string out;
  cell.WriteText(out);
  return out;
}

// The text after updating SmallCell with the given update records, or "error: " and the cause.
std::string Updated(const TRecords& update, const std::string& updn = "1") {
  TRecords u{{Dsid("2", updn)}};
  u.insert(u.end(), update.begin(), update.end());
  try {
    TS57Cell cell = TS57Cell::FromBytes("base.000", Cell(SmallCell()));
    cell.ApplyUpdate("base.001", Cell(u));
    return Text(cell);
  } catch (const EIso8211Error& e) {
    return std::string("error: ") + e.what();
  }
}

TEST(Marlisk, WritesTheRecordTextOfACell) {
  const std::string expected =
      "RECN 1\n"
      " DSID 1,16,RCNM=10,RCID=1,EXPP=1,INTU=5,DSNM=ORVTEST1.000,EDTN=2,UPDN=0,UADT=20240101,ISDT=20240102,"
      "STED=03.1,PRSP=1,PSDN=2.0,PRED=1.0,PROF=1,AGEN=540,\"COMT=Test cell, \"\"generated\"\"\"\n"
      "****\n"
      "RECN 2\n"
      " DSPM 1,13,RCNM=20,RCID=1,HDAT=2,VDAT=17,SDAT=23,CSCL=22000,DUNI=1,HUNI=1,PUNI=1,COUN=1,"
      "COMF=10000000,SOMF=10,COMT=\n"
      "****\n"
      "RECN 3\n"
      " VRID 1,4,RCNM=110,RCID=1,RVER=1,RUIN=1\n"
      " SG3D 2,3,354123456,1397654321,125,354123556,1397654421,-3\n"
      "****\n"
      "RECN 4\n"
      " VRID 1,4,RCNM=120,RCID=1,RVER=1,RUIN=1\n"
      " SG2D 1,2,354000000,1397000000\n"
      "****\n"
      "RECN 5\n"
      " VRID 1,4,RCNM=120,RCID=2,RVER=1,RUIN=1\n"
      " SG2D 1,2,354100000,1397100000\n"
      "****\n"
      "RECN 6\n"
      " VRID 1,4,RCNM=130,RCID=4660,RVER=1,RUIN=1\n"
      " VRPT "
      "2,5,NAME=0x7801000000,ORNT=255,USAG=255,TOPI=1,MASK=255,NAME=0x7802000000,ORNT=255,USAG=255,TOPI=2,MASK=255\n"
      " SG2D 2,2,354030000,1397040000,354060000,1397070000\n"
      "****\n"
      "RECN 7\n"
      " FRID 1,7,RCNM=100,RCID=1,PRIM=1,GRUP=2,OBJL=129,RVER=1,RUIN=1\n"
      " FOID 1,3,AGEN=540,FIDN=77,FIDS=1\n"
      " ATTF 1,2,ATTL=116,\"ATVL=Cap \xc3\xa9\"\n"
      " FSPT 1,4,NAME=0x6E01000000,ORNT=255,USAG=255,MASK=255\n"
      "****\n"
      "RECN 8\n"
      " FRID 1,7,RCNM=100,RCID=2,PRIM=2,GRUP=2,OBJL=30,RVER=1,RUIN=1\n"
      " FOID 1,3,AGEN=540,FIDN=78,FIDS=1\n"
      " FSPT 1,4,NAME=0x8234120000,ORNT=2,USAG=255,MASK=255\n"
      "****\n";
  EXPECT_EQ(Text(TS57Cell::FromBytes("small.000", Cell(SmallCell()))), expected);
}

// Reads the text as the chart layer does: tag in characters 2 to 5, fields from character 7, the
// k-th NAME= value decoded from its characters 3 to 12. Every pointer must name a vector record.
TEST(Marlisk, EveryPointerNamesAVectorRecordAsTheLayerResolvesIt) {
  for (const std::string& bytes : {std::string(SampleCell(400, 100)), [] {
                                     const auto c = Cell(SmallCell());
                                     return std::string(c.begin(), c.end());
                                   }()}) {
    const std::string text = Text(TS57Cell::FromBytes("x.000", {bytes.begin(), bytes.end()}));
    std::map<int, std::vector<std::string>> keys;
    std::vector<std::string> names;
    size_t pos = 0;
    int features = 0;
    for (size_t end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1) {
      const std::string line = text.substr(pos, end - pos);
      if (line.starts_with("RECN") || line.starts_with("****")) continue;
      ASSERT_GE(line.size(), 7u) << line;
      const std::string tag = line.substr(1, 4);
      const std::vector<std::string> f = SplitCommaText(line.substr(6));
      ASSERT_GE(f.size(), 2u) << line;
      auto sub = [&](const std::string& name) {
        for (size_t i = 2; i < f.size(); ++i)
          if (f[i].starts_with(name + "=")) return f[i].substr(name.size() + 1);
        return std::string();
      };
      if (tag == "VRID") keys[std::stoi(sub("RCNM"))].push_back(sub("RCID"));
      if (tag == "FRID") ++features;
      if (tag == "SG2D" || tag == "SG3D") {
        EXPECT_EQ(f.size(), 2 + std::stoul(f[0]) * (tag == "SG2D" ? 2 : 3)) << line;
      }
      if (tag != "VRPT" && tag != "FSPT") continue;
      for (size_t i = 2; i < f.size(); ++i)
        if (f[i].starts_with("NAME=")) names.push_back(f[i].substr(5));
    }
    EXPECT_GT(features, 0);
    for (const std::string& n : names) {
      ASSERT_EQ(n.size(), 12u) << n;
      const int code = std::stoi(n.substr(2, 2), nullptr, 16);
      const unsigned long id =
          std::stoul(n.substr(10, 2) + n.substr(8, 2) + n.substr(6, 2) + n.substr(4, 2), nullptr, 16);
      const auto& list = keys[code];
      EXPECT_NE(std::find(list.begin(), list.end(), std::to_string(id)), list.end()) << n;
    }
  }
}

struct TUpdateCase {
  const char* What;
  bool Refused;
  TRecords Update;
  std::vector<std::string> Present, Absent;  // lines or parts of lines; "error: ..." for a refusal
};

TEST(Marlisk, AppliesUpdateRecordsAndRefusesInconsistentOnes) {
  const TUpdateCase cases[] = {
      {"delete a feature, move a node",
       false,
       {{Frid(2, 2, 2, 30, 2, 2)}, {Vrid(120, 1, 2, 3), Control("SGCC", 3, 1, 1), Sg2d({{354005000, 1397000000}})}},
       {"RCNM=120,RCID=1,RVER=2,RUIN=1\n SG2D 1,2,354005000,1397000000\n", "RCID=1,PRIM=1"},
       {"RCID=2,PRIM=2", "354000000,1397000000"}},
      {"insert an edge vertex",
       false,
       {{Vrid(130, 4660, 2, 3), Control("SGCC", 1, 2, 1), Sg2d({{1, 2}})}},
       {" SG2D 3,2,354030000,1397040000,1,2,354060000,1397070000\n"},
       {}},
      {"append edge vertices",
       false,
       {{Vrid(130, 4660, 2, 3), Control("SGCC", 1, 3, 2), Sg2d({{1, 2}, {3, 4}})}},
       {" SG2D 4,2,354030000,1397040000,354060000,1397070000,1,2,3,4\n"},
       {}},
      {"delete an edge vertex",
       false,
       {{Vrid(130, 4660, 2, 3), Control("SGCC", 2, 1, 1)}},
       {" SG2D 1,2,354060000,1397070000\n"},
       {}},
      {"modify a sounding",
       false,
       {{Vrid(110, 1, 2, 3), Control("SGCC", 3, 2, 1), Sg3d({{5, 6, 7}})}},
       {" SG3D 2,3,354123456,1397654321,125,5,6,7\n"},
       {}},
      {"repoint an edge's end",
       false,
       {{Vrid(130, 4660, 2, 3), Control("VRPC", 3, 2, 1), Vrpt({{110, 1, 255, 255, 2, 255}})}},
       {"NAME=0x7801000000,ORNT=255,USAG=255,TOPI=1,MASK=255,NAME=0x6E01000000"},
       {}},
      {"add a spatial pointer",
       false,
       {{Frid(2, 2, 2, 30, 2, 3), Control("FSPC", 1, 2, 1), Fspt({{130, 9, 1, 1, 255}})}},
       {" FSPT 2,4,NAME=0x8234120000,ORNT=2,USAG=255,MASK=255,NAME=0x8209000000,ORNT=1,USAG=1,MASK=255\n"},
       {}},
      {"change, add and remove attributes",
       false,
       {{Frid(1, 1, 2, 129, 2, 3), Attf({{87, "5"}, {116, "\x7f"}, {88, "7"}, {87, "6"}})},
        {Frid(2, 2, 2, 30, 2, 3), Attf({{179, "2.5"}})}},
       {" ATTF 2,2,ATTL=87,ATVL=6,ATTL=88,ATVL=7\n", " ATTF 1,2,ATTL=179,ATVL=2.5\n"},
       {"ATTL=116"}},
      {"drop a spatial pointer", false, {{Frid(2, 2, 2, 30, 2, 3), Control("FSPC", 2, 1, 1)}}, {" FSPT 0,4\n"}, {}},
      {"insert a node and a feature on it",
       false,
       {{Vrid(110, 9), Sg2d({{11, 12}})}, {Frid(3, 1, 2, 17), Fspt({{110, 9, 255, 255, 255}})}},
       {"RECN 9\n VRID 1,4,RCNM=110,RCID=9,RVER=1,RUIN=1\n SG2D 1,2,11,12\n****\nRECN 10\n FRID 1,7,RCNM=100,RCID=3"},
       {}},
      {"replace coordinates without a control",
       false,
       {{Vrid(120, 2, 2, 3), Sg2d({{8, 9}})}},
       {" SG2D 1,2,8,9\n"},
       {"354100000"}},
      {"version that skips",
       true,
       {{Vrid(120, 1, 3, 3), Control("SGCC", 2, 1, 1)}},
       {"version 3 does not follow version 1"},
       {}},
      {"delete what is not there",
       true,
       {{Frid(9, 1, 2, 17, 2, 2)}},
       {"deletes record (RCNM 100, RCID 9), which the cell does not hold"},
       {}},
      {"insert what is there",
       true,
       {{Vrid(120, 1), Sg2d({{1, 1}})}},
       {"inserts record (RCNM 120, RCID 1), which the cell holds already"},
       {}},
      {"index past the end",
       true,
       {{Vrid(130, 4660, 2, 3), Control("SGCC", 3, 2, 2), Sg2d({{1, 1}, {2, 2}})}},
       {"do not fit the 2 entries"},
       {}},
      {"count that differs",
       true,
       {{Vrid(130, 4660, 2, 3), Control("SGCC", 1, 1, 2), Sg2d({{1, 1}})}},
       {"announces 2 entries, SG2D brings 1"},
       {}},
      {"control without its field",
       true,
       {{Vrid(130, 4660, 2, 3), Control("VRPC", 1, 1, 1)}},
       {"VRPC of record (RCNM 130, RCID 4660) comes without its field"},
       {}},
      {"wrong kind of coordinates",
       true,
       {{Vrid(120, 1, 2, 3), Control("SGCC", 3, 1, 1), Sg3d({{1, 1, 1}})}},
       {"brings SG3D for the record's SG2D"},
       {}},
      {"unknown record instruction",
       true,
       {{Vrid(120, 1, 2, 5)}},
       {"record update instruction 5 is none of 1, 2 and 3"},
       {}},
  };
  for (const TUpdateCase& c : cases) {
    const std::string text = Updated(c.Update);
    for (const std::string& p : c.Present) EXPECT_NE(text.find(p), std::string::npos) << c.What << "\n" << text;
    for (const std::string& a : c.Absent) EXPECT_EQ(text.find(a), std::string::npos) << c.What << "\n" << text;
    EXPECT_EQ(text.starts_with("error: base.001: byte "), c.Refused) << c.What << "\n" << text;
  }
  EXPECT_NE(Updated({}, "2").find("update number 2 where 1 was expected"), std::string::npos);
}

struct TCorruption {
  const char* What;
  size_t At;         // byte to change; SIZE_MAX: cut the file at Cut instead
  std::string With;  // bytes written from At
  size_t Cut;
  std::string Cause;
};

TEST(Marlisk, RefusesBrokenCellsWithTheirCause) {
  const std::vector<uint8_t> good = Cell(SmallCell());
  const size_t ddr = std::stoul(std::string(good.begin(), good.begin() + 5));
  const TCorruption cases[] = {
      {"empty file", SIZE_MAX, "", 0, "byte 0: the file is empty"},
      {"leader cut", SIZE_MAX, "", 10, "record leader cut short: 10 bytes"},
      {"cut in the descriptive record", SIZE_MAX, "", 100, "runs past the end of the file (100 bytes left)"},
      {"cut in a data record", SIZE_MAX, "", ddr + 30, "runs past the end of the file (30 bytes left)"},
      {"letter in a record length", ddr + 2, "x", 0, "record length in the record leader is not a number"},
      {"wrong leader identifier", ddr + 6, "Q", 0, "leader identifier 'Q'"},
      {"field area address past the record", ddr + 12, "99999", 0, "field area address 99999 lies outside"},
      {"three-character tags", 23, "3", 0, "field tags of 3 characters"},
      {"field length past the area", ddr + 24 + 4, "999", 0, "runs past the field area"},
      {"letter in the directory", ddr + 24 + 5, "z", 0, "directory entry holds a character that is not a digit"},
  };
  for (const TCorruption& c : cases) {
    std::vector<uint8_t> bad = good;
    if (c.At == SIZE_MAX)
      bad.resize(c.Cut);
    else
      std::copy(c.With.begin(), c.With.end(), bad.begin() + static_cast<long>(c.At));
    try {
      TS57Cell::FromBytes("bad.000", bad);
      ADD_FAILURE() << c.What << ": read";
    } catch (const EIso8211Error& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with("bad.000: byte ")) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.Cause), std::string::npos) << c.What << ": " << e.what();
    }
  }
  const std::pair<TRecords, std::string> semantic[] = {
      {{{Dsid("1", "0")}, {Vrid(120, 1), Sg2d({{1, 1}})}}, "no DSPM record"},
      {{{Dspm(1, 1)}}, "a DSPM record before the DSID record"},
      {{{Dsid("1", "0"), Dssi({0, 0, 0, 0, 0, 3, 0, 0})}, {Dspm(1, 1)}, {Vrid(120, 1)}},
       "the data set structure announces 3 connected nodes, the file holds 1 connected nodes: fewer records"},
      {{{Dsid("1", "0")}, {Dspm(0, 10)}}, "DSPM COMF is not positive"},
      {{{Dsid("1", "0")}, {Dspm(1, 1)}, {Vrid(120, 1)}, {Vrid(120, 1)}}, "record (RCNM 120, RCID 1) comes twice"},
      {{{Dsid("1", "0")}, {Dspm(1, 1)}, {Vrid(120, 1), TField{"SG2D", "abc"}}},
       "subfield YCOO of field SG2D runs past the field's end"},
  };
  const std::array<std::string, 3> definitions[] = {
      {"SG2D", "*YCOO!XCOO\x1f(2A)", "SG2D is not a repeating group of integer YCOO, XCOO"},
      {"SG3D", "*YCOO!XCOO\x1f(2b24)", "SG3D is not a repeating group of integer YCOO, XCOO, VE3D"},
      {"FSPT", "*NAME!ORNT!USAG!MASK\x1f(B(32),3b11)", "five-byte NAME and integer ORNT and USAG"},
      {"VRID", "RCNM!RC ID!RVER!RUIN\x1f(b11,b14,b12,b11)", "VRID has a subfield label that is no plain name"},
      {"VRID", "RCNM!RCID!RVER!RUIN\x1f(b11,b14,b12)", "VRID: 3 formats for 4 subfields"},
      {"VRID", "RCNM!RCID!RVER!RUIN\x1f(b11,b14,2Q)", "VRID: unknown format 'Q'"},
      {"VRID", "RCNM!RCID!RVER!RUIN\x1f(b11,b34,b12,b11)", "unsupported binary format b34"},
      {"VRID", "RCNM!RCID!RVER!RUIN\x1f(b11,b14,b12,b11", "')' expected"},
      // Refused where the nesting goes too deep, even in a field the chart text would leave out.
      {"ATTF", "*ATTL!ATVL\x1f" + std::string(30000, '(') + "b12,A" + std::string(30000, ')'),
       "format controls of field ATTF nested deeper than 32 levels"},
  };
  for (const auto& [tag, definition, cause] : definitions) {
    TWriter w;
    w.Redefine(tag, definition);
    for (const auto& r : SmallCell()) w.Record(r);
    const std::string b = w.Bytes();
    try {
      TS57Cell::FromBytes("bad.000", {b.begin(), b.end()});
      ADD_FAILURE() << cause << ": read";
    } catch (const EIso8211Error& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find(cause), std::string::npos) << m;
      EXPECT_LT(m.size(), 400u) << "a hostile format list is not quoted whole";
      const size_t byte = std::stoul(m.substr(std::string("bad.000: byte ").size()));
      ASSERT_LT(byte, b.size()) << m;
      if (m.find("nested") != std::string::npos) {
        EXPECT_EQ(b.substr(byte - 32, 33), std::string(33, '(')) << m;
      }
    }
  }
  for (const auto& [records, cause] : semantic) {
    try {
      TS57Cell::FromBytes("bad.000", Cell(records));
      ADD_FAILURE() << cause << ": read";
    } catch (const EIso8211Error& e) {
      EXPECT_NE(std::string(e.what()).find(cause), std::string::npos) << e.what();
    }
  }
}

// Record counts that disagree with DSSI: read as held with one warning naming the file, unless
// fewer records are held in all.
TEST(Marlisk, CountsThatDisagreeAreReportedNotFatal) {
  struct Case {
    uint32_t Announced[8];  // meta, cartographic, geo, collection; isolated, connected, edges, faces
    const char* Warning;    // "" for none
  };
  // SmallCell holds 2 geo features, 1 isolated node, 2 connected nodes, 1 edge.
  const Case cases[] = {
      {{0, 0, 2, 0, 1, 2, 1, 0}, ""},
      {{0, 0, 2, 0, 0, 3, 1, 0},
       "small.000: the data set structure (DSSI) announces 0 isolated nodes, 3 connected nodes, the file holds 1 "
       "isolated nodes, 2 connected nodes; read as held"},
      {{0, 0, 1, 0, 1, 2, 1, 0}, "announces 1 feature records, the file holds 2 feature records"},
  };
  for (const Case& c : cases) {
    TRecords records = SmallCell();
    records[0].push_back(Dssi(c.Announced));
    const TS57Cell cell = TS57Cell::FromBytes("small.000", Cell(records));
    if (*c.Warning == '\0') {
      EXPECT_TRUE(cell.Warnings().empty());
      continue;
    }
    ASSERT_EQ(cell.Warnings().size(), 1u) << c.Warning;
    EXPECT_NE(cell.Warnings()[0].find(c.Warning), std::string::npos) << cell.Warnings()[0];
    EXPECT_NE(Text(cell).find("RCNM=110,RCID=1,"), std::string::npos);
  }
  // An update whose count is off is named in its own warning.
  TS57Cell cell = TS57Cell::FromBytes("small.000", Cell(SmallCell()));
  TRecords update = {{Dsid("2", "1"), Dssi({0, 0, 0, 0, 0, 0, 0, 0})}, {Frid(2, 2, 2, 30, 2, 2)}};
  cell.ApplyUpdate("small.001", Cell(update));
  ASSERT_EQ(cell.Warnings().size(), 1u);
  EXPECT_TRUE(cell.Warnings()[0].starts_with("small.001: ")) << cell.Warnings()[0];
}

// A cell cut as published cells are: land and sea close along the data limit, depth areas fill by
// band, soundings print as figures, and the miscounted DSSI is a warning.
TEST(Marlisk, ACellCutAtItsEdgeDrawsAsAMarinerReadsIt) {
  const std::string bytes = EdgeCell();
  const TS57Cell cell = TS57Cell::FromBytes("ORVEDGE1.000", {bytes.begin(), bytes.end()});
  ASSERT_EQ(cell.Warnings().size(), 1u);
  EXPECT_NE(cell.Warnings()[0].find("announces 1 isolated nodes, 10 connected nodes, the file holds 2 isolated "
                                    "nodes, 9 connected nodes"),
            std::string::npos)
      << cell.Warnings()[0];
  struct NoConverter : TEncConverter {
    void Convert(const std::string&, const std::string&) override {}
  } converter;
  TEncMap map(converter, ORVANE_CLASS_TABLE);
  map.ReadConverted(Text(cell), "ORVEDGE1.000 converted");

  // Each area's fill reaches the cell corner that lies inside it.
  struct Area {
    const char* What;
    double Drval1;  // identifies the area; NaN for land
    TEncCoord Corner;
    size_t Points;
    TColor Fill;
  };
  const Area areas[] = {
      {"land", kEncNoValue, {139.70, 35.40, 0}, 9, 0xA0DAEE},
      {"deep sea", 30, {139.80, 35.50, 0}, 13, 0xFFFFFF},
      {"medium", 2, {}, 5, 0xF2C598},
      {"shallow", 0, {}, 5, 0xEFB673},
      {"drying", -2, {}, 5, 0x95B283},
  };
  RecordingCanvas canvas(100, 100);
  map.Draw(canvas, {139.70, 35.40, 139.80, 35.50});
  const auto polygons = canvas.Of(TCanvasOp::Polygon);
  ASSERT_EQ(polygons.size(), 5u);
  for (const Area& a : areas) {
    const auto it = std::find_if(map.Areas().begin(), map.Areas().end(), [&](const TEncKeyedShape& k) {
      const double d = k.Shape.Attributes.Drval1;
      return std::isnan(a.Drval1) ? std::isnan(d) : d == a.Drval1;
    });
    ASSERT_NE(it, map.Areas().end()) << a.What;
    const std::vector<TEncCoord>& p = it->Shape.Points;
    EXPECT_EQ(p.size(), a.Points) << a.What;
    if (a.Corner.Lon != 0) {
      EXPECT_NE(std::find_if(p.begin(), p.end(),
                             [&](const TEncCoord& c) {
                               return std::abs(c.Lon - a.Corner.Lon) < 1e-9 && std::abs(c.Lat - a.Corner.Lat) < 1e-9;
                             }),
                p.end())
          << a.What;
    }
    // Drawn largest first, that is from the end of the sorted list.
    const size_t drawn = map.Areas().size() - 1 - static_cast<size_t>(it - map.Areas().begin());
    ASSERT_LT(drawn, polygons.size());
    EXPECT_EQ(polygons[drawn]->State.BrushColor, a.Fill) << a.What;
  }
  EXPECT_EQ(map.Areas().back().Shape.Attributes.Objnam, "Outer Road");

  std::vector<std::string> figures;
  for (const auto* t : canvas.Of(TCanvasOp::TextOut)) figures.push_back(t->Text);
  EXPECT_EQ(figures, (std::vector<std::string>{"0.8", "1.5", "4.2", "12.3", "0.6", "25.0", "31", "57"}));
  // The drying height (-6 tenths) alone is underlined, under its own figures.
  const auto texts = canvas.Of(TCanvasOp::TextOut);
  const auto underlines = canvas.Of(TCanvasOp::LineTo);
  ASSERT_EQ(underlines.size(), 1u);
  EXPECT_EQ(underlines[0]->State.PenPos, (TPoint{texts[4]->At.x, texts[4]->At.y + 11}));
  EXPECT_EQ(underlines[0]->At, (TPoint{texts[4]->At.x + 17, texts[4]->At.y + 11}));
  ASSERT_EQ(map.Spots().size(), 2u);
  EXPECT_DOUBLE_EQ(map.Spots()[1].Attributes.Valsou, 3.5);
  EXPECT_EQ(canvas.Of(TCanvasOp::DrawSymbol).size(), 1u);  // the wreck; the soundings are figures
}

// Every cut and a few bytes at every position: read or refused, never anything else.
TEST(Marlisk, SurvivesEveryCutAndEveryChangedByte) {
  const std::vector<uint8_t> good = Cell(SmallCell());
  int refused = 0;
  auto attempt = [&](const std::vector<uint8_t>& bytes) {
    try {
      std::string out;
      TS57Cell::FromBytes("x.000", bytes).WriteText(out);
    } catch (const EIso8211Error&) {
      ++refused;
    }
  };
  for (size_t n = 0; n < good.size(); ++n)
    attempt(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
  EXPECT_EQ(refused, static_cast<int>(good.size()));
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t b : {uint8_t{0}, uint8_t{0xff}, uint8_t{'9'}, uint8_t{0x1e}, uint8_t{0x1f}, uint8_t{'('}}) {
      std::vector<uint8_t> bad = good;
      bad[i] = b;
      attempt(bad);
    }
  }
}

class MarliskFiles : public TempDir {};

TEST_F(MarliskFiles, ReadAppliesTheUpdateFilesInTurnUntilOneIsMissing) {
  const std::string base = (dir / "ORV1.000").string();
  WriteAll(base, SampleCell(40, 20));
  WriteAll(dir / "ORV1.001", SampleUpdate());
  TWriter second;
  second.Record({Dsid("1", "2")});
  second.Record({Vrid(120, 2, 2, 2)});
  WriteAll(dir / "ORV1.002", second.Bytes());
  TWriter fourth;
  fourth.Record({Dsid("1", "4")});
  WriteAll(dir / "ORV1.004", fourth.Bytes());
  const TS57Cell cell = TS57Cell::Read(base);
  EXPECT_EQ(cell.UpdatesApplied(), 2);
  const std::string text = Text(cell);
  EXPECT_NE(text.find("UPDN=2,"), std::string::npos);
  EXPECT_EQ(text.find("RCNM=120,RCID=2,"), std::string::npos);
  EXPECT_NE(text.find("RCNM=120,RCID=1,RVER=2,RUIN=1\n SG2D 1,2,354005000,1397000000\n"), std::string::npos);

  WriteAll(dir / "ORV1.003", second.Bytes());
  try {
    TS57Cell::Read(base);
    ADD_FAILURE() << "read with a repeated update";
  } catch (const EIso8211Error& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with((dir / "ORV1.003").string() + ": byte ")) << e.what();
  }
}

// Runs the converter program; its exit status, with its messages in `err`.
int RunMarlisk(const std::vector<std::string>& args, std::string& err, const std::filesystem::path& dir) {
  std::string cmd = MARLISK_PATH;
  for (const std::string& a : args) cmd += " '" + a + "'";
  const std::filesystem::path errFile = dir / "stderr.txt";
  const int status = std::system((cmd + " 2>'" + errFile.string() + "'").c_str());
  err = ReadAll(errFile);
  std::filesystem::remove(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(MarliskFiles, TheProgramWritesTheTextOrSaysWhyNot) {
  const std::filesystem::path chart = dir / "ORV2.000", out = dir / "Marlisk.tmp";
  WriteAll(chart, SampleCell(40, 20));
  WriteAll(dir / "ORV2.001", SampleUpdate());
  std::string err;
  ASSERT_EQ(RunMarlisk({chart.string(), out.string()}, err, dir), 0) << err;
  EXPECT_EQ(err, "");
  EXPECT_EQ(ReadAll(out), Text(TS57Cell::Read(chart.string())));
  EXPECT_EQ(FileCount(), 3);  // the chart, its update and the output: no temporary left

  std::filesystem::remove(out);
  const std::string bytes = SampleCell(40, 20);
  WriteAll(chart, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(RunMarlisk({chart.string(), out.string()}, err, dir), 1);
  EXPECT_TRUE(err.starts_with("marlisk: " + chart.string() + ": byte ")) << err;
  EXPECT_EQ(RunMarlisk({(dir / "none.000").string(), out.string()}, err, dir), 1);
  EXPECT_NE(err.find("none.000: cannot open: No such file or directory"), std::string::npos) << err;
  EXPECT_EQ(FileCount(), 2);
  WriteAll(chart, bytes);
  EXPECT_EQ(RunMarlisk({chart.string(), (dir / "no" / "out.txt").string()}, err, dir), 1);
  EXPECT_NE(err.find("out.txt\": No such file"), std::string::npos) << err;
  EXPECT_EQ(RunMarlisk({chart.string()}, err, dir), 2);
  EXPECT_NE(err.find("needs a chart cell and an output file"), std::string::npos) << err;

  // After "--" a name that begins with "-" is a file; warnings go to standard error.
  TRecords odd = SmallCell();
  odd[0].push_back(Dssi({0, 0, 2, 0, 0, 3, 1, 0}));  // an isolated node counted as connected
  const std::vector<uint8_t> oddBytes = Cell(odd);
  WriteAll(dir / "-odd.000", std::string(oddBytes.begin(), oddBytes.end()));
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const int refused = RunMarlisk({"-odd.000", "out.txt"}, err, dir);
  const std::string refusal = err;
  const int read = RunMarlisk({"--", "-odd.000", "-out.txt"}, err, dir);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(refused, 2);
  EXPECT_NE(refusal.find("unknown option '-odd.000'"), std::string::npos) << refusal;
  EXPECT_EQ(read, 0) << err;
  EXPECT_TRUE(err.starts_with("marlisk: warning: -odd.000: the data set structure (DSSI) announces")) << err;
  EXPECT_TRUE(std::filesystem::exists(dir / "-out.txt"));
}

}  // namespace
}  // namespace orvane
