// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small ISO/IEC 8211 S-57 cells for tests, benchmarks and fuzzing: the standard
// field definitions, then one data record per call of Record, each field given by a builder below
// with its subfields in order. Header-only, no Qt.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace orvane::s57w {

constexpr char kUT = 0x1f, kFT = 0x1e;

struct TField {
  std::string Tag;
  std::string Data;  // subfields, without the field terminator
};

inline std::string Bin(uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
  return s;
}
inline std::string B11(int v) { return Bin(static_cast<uint64_t>(v), 1); }
inline std::string B12(int v) { return Bin(static_cast<uint64_t>(v), 2); }
inline std::string B14(uint32_t v) { return Bin(v, 4); }
inline std::string B24(int32_t v) { return Bin(static_cast<uint32_t>(v), 4); }
inline std::string A(const std::string& s) { return s + kUT; }
inline std::string Name(int rcnm, uint32_t rcid) { return B11(rcnm) + B14(rcid); }

inline TField Dsid(const std::string& edtn, const std::string& updn, const std::string& dsnm = "ORVTEST1.000") {
  return {"DSID", B11(10) + B14(1) + B11(updn == "0" ? 1 : 2) + B11(5) + A(dsnm) + A(edtn) + A(updn) + "20240101" +
                      "20240102" + "03.1" + B11(1) + A("2.0") + A("1.0") + B11(1) + B12(540) +
                      A("Test cell, \"generated\"")};
}
// Record counts: meta, cartographic, geo, collection features; isolated, connected nodes, edges, faces.
inline TField Dssi(const uint32_t (&n)[8]) {
  std::string d = B11(2) + B11(1) + B11(1);
  for (uint32_t c : n) d += B14(c);
  return {"DSSI", d};
}
inline TField Dspm(int comf, int somf, const std::string& comt = "") {
  return {"DSPM", B11(20) + B14(1) + B11(2) + B11(17) + B11(23) + B14(22000) + B11(1) + B11(1) + B11(1) + B11(1) +
                      B14(static_cast<uint32_t>(comf)) + B14(static_cast<uint32_t>(somf)) + A(comt)};
}
inline TField Vrid(int rcnm, uint32_t rcid, int rver = 1, int ruin = 1) {
  return {"VRID", B11(rcnm) + B14(rcid) + B12(rver) + B11(ruin)};
}
inline TField Sg2d(const std::vector<std::pair<int32_t, int32_t>>& yx) {
  TField f{"SG2D", {}};
  for (auto [y, x] : yx) f.Data += B24(y) + B24(x);
  return f;
}
inline TField Sg3d(const std::vector<std::array<int32_t, 3>>& yxd) {
  TField f{"SG3D", {}};
  for (auto [y, x, d] : yxd) f.Data += B24(y) + B24(x) + B24(d);
  return f;
}
struct TPointer {
  int Rcnm;
  uint32_t Rcid;
  int Ornt = 255, Usag = 255, Topi = 255, Mask = 255;
};
inline TField Vrpt(const std::vector<TPointer>& ps) {
  TField f{"VRPT", {}};
  for (const TPointer& p : ps) f.Data += Name(p.Rcnm, p.Rcid) + B11(p.Ornt) + B11(p.Usag) + B11(p.Topi) + B11(p.Mask);
  return f;
}
inline TField Frid(uint32_t rcid, int prim, int grup, int objl, int rver = 1, int ruin = 1) {
  return {"FRID", B11(100) + B14(rcid) + B11(prim) + B11(grup) + B12(objl) + B12(rver) + B11(ruin)};
}
inline TField Foid(int agen, uint32_t fidn, int fids) { return {"FOID", B12(agen) + B14(fidn) + B12(fids)}; }
inline TField Fspt(const std::vector<TPointer>& ps) {
  TField f{"FSPT", {}};
  for (const TPointer& p : ps) f.Data += Name(p.Rcnm, p.Rcid) + B11(p.Ornt) + B11(p.Usag) + B11(p.Mask);
  return f;
}
inline TField Attf(const std::vector<std::pair<int, std::string>>& as) {
  TField f{"ATTF", {}};
  for (const auto& [l, v] : as) f.Data += B12(l) + A(v);
  return f;
}
// SGCC, VRPC and FSPC share one layout: instruction, index, count.
inline TField Control(const std::string& tag, int ui, int ix, int n) { return {tag, B11(ui) + B12(ix) + B12(n)}; }

class TWriter {
public:
  void Record(std::vector<TField> fields) {
    fields.insert(fields.begin(), TField{"0001", B12(static_cast<int>(Records_.size() + 1))});
    Records_.push_back(std::move(fields));
  }

  // Replaces the labels and formats ("LABELS\x1fFORMATS") of a field's definition.
  void Redefine(const std::string& tag, const std::string& labelsAndFormats) {
    Redefined_.emplace_back(tag, labelsAndFormats);
  }

  std::string Bytes() const {
    static const char* kDefs[][4] = {
        {"0001", "0100;&   ", "ISO/IEC 8211 Record Identifier", "\x1f(b12)"},
        {"DSID", "1600;&   ", "Data set identification field",
         "RCNM!RCID!EXPP!INTU!DSNM!EDTN!UPDN!UADT!ISDT!STED!PRSP!PSDN!PRED!PROF!AGEN!COMT\x1f"
         "(b11,b14,2b11,3A,2A(8),R(4),b11,2A,b11,b12,A)"},
        {"DSSI", "1600;&   ", "Data set structure information field",
         "DSTR!AALL!NALL!NOMR!NOCR!NOGR!NOLR!NOIN!NOCN!NOED!NOFA\x1f(3b11,8b14)"},
        {"DSPM", "1600;&   ", "Data set parameter field",
         "RCNM!RCID!HDAT!VDAT!SDAT!CSCL!DUNI!HUNI!PUNI!COUN!COMF!SOMF!COMT\x1f(b11,b14,3b11,b14,4b11,2b14,A)"},
        {"VRID", "1600;&   ", "Vector record identifier field", "RCNM!RCID!RVER!RUIN\x1f(b11,b14,b12,b11)"},
        {"VRPC", "1600;&   ", "Vector record pointer control field", "VPUI!VPIX!NVPT\x1f(b11,2b12)"},
        {"VRPT", "2600;&   ", "Vector record pointer field", "*NAME!ORNT!USAG!TOPI!MASK\x1f(B(40),4b11)"},
        {"SGCC", "1600;&   ", "Coordinate control field", "CCUI!CCIX!CCNC\x1f(b11,2b12)"},
        {"SG2D", "2500;&   ", "2-D coordinate field", "*YCOO!XCOO\x1f(2b24)"},
        {"SG3D", "2500;&   ", "3-D coordinate (sounding array) field", "*YCOO!XCOO!VE3D\x1f(3b24)"},
        {"FRID", "1600;&   ", "Feature record identifier field",
         "RCNM!RCID!PRIM!GRUP!OBJL!RVER!RUIN\x1f(b11,b14,2b11,2b12,b11)"},
        {"FOID", "1600;&   ", "Feature object identifier field", "AGEN!FIDN!FIDS\x1f(b12,b14,b12)"},
        {"ATTF", "2600;&   ", "Feature record attribute field", "*ATTL!ATVL\x1f(b12,A)"},
        {"FSPC", "1600;&   ", "Feature record to spatial record pointer control field", "FSUI!FSIX!NSPT\x1f(b11,2b12)"},
        {"FSPT", "2600;&   ", "Feature record to spatial record pointer field", "*NAME!ORNT!USAG!MASK\x1f(B(40),3b11)"},
    };
    std::vector<TField> defs{{"0000", "0000;&   " + std::string(1, kUT)}};
    for (const auto& d : kDefs) {
      const auto re =
          std::find_if(Redefined_.begin(), Redefined_.end(), [&](const auto& r) { return r.first == d[0]; });
      defs.push_back(
          {d[0], std::string(d[1]) + d[2] + kUT + (re == Redefined_.end() ? std::string(d[3]) : re->second)});
    }
    std::string out = Build('3', 'L', "09", defs, true);
    // The data set structure that the identification record announces, unless a test gave its own.
    uint32_t counts[8] = {};
    for (const auto& r : Records_) {
      for (const TField& f : r) {
        if (f.Tag == "FRID") ++counts[2];
        if (f.Tag == "VRID") {
          const int rcnm = static_cast<unsigned char>(f.Data[0]);
          if (rcnm >= 110 && rcnm <= 140) ++counts[4 + (rcnm - 110) / 10];
        }
      }
    }
    for (auto r : Records_) {
      const bool dsid = std::any_of(r.begin(), r.end(), [](const TField& f) { return f.Tag == "DSID"; });
      const bool dssi = std::any_of(r.begin(), r.end(), [](const TField& f) { return f.Tag == "DSSI"; });
      if (dsid && !dssi) r.push_back(Dssi(counts));
      out += Build(' ', 'D', "  ", r);
    }
    return out;
  }

  void Save(const std::filesystem::path& p) const { std::ofstream(p, std::ios::binary) << Bytes(); }

private:
  static std::string Digits(size_t v, size_t n) {
    std::string s = std::to_string(v);
    return std::string(n > s.size() ? n - s.size() : 0, '0') + s;
  }
  static std::string Build(char level, char id, const char* fcl, const std::vector<TField>& fields, bool ddr = false) {
    std::string area;
    std::vector<std::pair<size_t, size_t>> at;
    for (const TField& f : fields) {
      at.push_back({f.Data.size() + 1, area.size()});
      area += f.Data + kFT;
    }
    const size_t sizeLen = std::max<size_t>(Digits(area.size(), 1).size(), 3),
                 sizePos = std::max<size_t>(Digits(area.size(), 1).size(), 4);
    const size_t base = 24 + fields.size() * (4 + sizeLen + sizePos) + 1;
    std::string leader = Digits(base + area.size(), 5) + level + id + (ddr ? "E1 " : "   ") + fcl + Digits(base, 5) +
                         (ddr ? " ! " : "   ") + std::to_string(sizeLen) + std::to_string(sizePos) + "04";
    std::string dir;
    for (size_t i = 0; i < fields.size(); ++i)
      dir += fields[i].Tag + Digits(at[i].first, sizeLen) + Digits(at[i].second, sizePos);
    return leader + dir + kFT + area;
  }

  std::vector<std::vector<TField>> Records_;
  std::vector<std::pair<std::string, std::string>> Redefined_;
};

// A chart of squares near 35.5 N, 139.8 E: each square is four connected nodes and four edges
// with two bends each, filled by one depth area, some squares outlined by a coastline over two
// edges, and buoys and sounding clusters on isolated nodes. `edges` rounds down to whole squares.
inline std::string SampleCell(int edges, int features) {
  TWriter w;
  w.Record({Dsid("1", "0")});
  w.Record({Dspm(10000000, 10)});
  const int squares = std::max(1, edges / 4);
  int side = 1;
  while (side * side < squares) ++side;
  const int32_t y0 = 354000000, x0 = 1397000000, step = 2000000 / side, size = step * 3 / 4;
  const int points = features / 5, soundings = points / 2;
  for (int i = 0; i < points; ++i) {
    const int32_t y = y0 + static_cast<int32_t>((i * 7919L) % 2000000),
                  x = x0 + static_cast<int32_t>((i * 104729L) % 2000000);
    if (i < soundings) {
      std::vector<std::array<int32_t, 3>> s;
      for (int k = 0; k < 5; ++k) s.push_back({y + k * 300, x + k * 200, 50 + (i + k) % 400});
      w.Record({Vrid(110, static_cast<uint32_t>(i + 1)), Sg3d(s)});
    } else {
      w.Record({Vrid(110, static_cast<uint32_t>(i + 1)), Sg2d({{y, x}})});
    }
  }
  for (int q = 0; q < squares; ++q) {
    const int32_t y = y0 + (q / side) * step, x = x0 + (q % side) * step;
    const std::pair<int32_t, int32_t> c[4] = {{y, x}, {y, x + size}, {y + size, x + size}, {y + size, x}};
    for (int k = 0; k < 4; ++k) w.Record({Vrid(120, static_cast<uint32_t>(4 * q + k + 1)), Sg2d({c[k]})});
    for (int k = 0; k < 4; ++k) {
      const auto [ya, xa] = c[k];
      const auto [yb, xb] = c[(k + 1) % 4];
      const int32_t bend = size / 20;
      w.Record({Vrid(130, static_cast<uint32_t>(4 * q + k + 1)),
                Vrpt({{120, static_cast<uint32_t>(4 * q + k + 1), 255, 255, 1, 255},
                      {120, static_cast<uint32_t>(4 * q + (k + 1) % 4 + 1), 255, 255, 2, 255}}),
                Sg2d({{ya + (yb - ya) / 3 + bend, xa + (xb - xa) / 3 - bend},
                      {ya + 2 * (yb - ya) / 3 - bend, xa + 2 * (xb - xa) / 3 + bend}})});
    }
  }
  uint32_t fid = 0;
  for (int i = 0; i < features; ++i) {
    const uint32_t id = ++fid;
    const int q = (i / 2) % squares;
    const uint32_t e = static_cast<uint32_t>(4 * q + 1);
    if (i < points) {
      w.Record({i < soundings ? Frid(id, 1, 2, 129) : Frid(id, 1, 2, 17), Foid(540, id, 1),
                Fspt({{110, static_cast<uint32_t>(i + 1), 255, 255, 255}})});
    } else if (i % 2 == 0) {
      w.Record(
          {Frid(id, 3, 1, 42), Foid(540, id, 1), Attf({{87, "10"}, {88, "20"}}),
           Fspt({{130, e, 1, 1, 255}, {130, e + 1, 1, 1, 255}, {130, e + 2, 1, 1, 255}, {130, e + 3, 1, 1, 255}})});
    } else {
      w.Record({Frid(id, 2, 2, 30), Foid(540, id, 1), Fspt({{130, e + 1, 2, 255, 255}, {130, e, 2, 255, 255}})});
    }
  }
  return w.Bytes();
}

// An update for SampleCell: deletes the first feature and moves the first connected node north.
inline std::string SampleUpdate() {
  TWriter w;
  w.Record({Dsid("1", "1")});
  w.Record({Frid(1, 1, 2, 129, 2, 2)});
  w.Record({Vrid(120, 1, 2, 3), Control("SGCC", 3, 1, 1), Sg2d({{354000000 + 5000, 1397000000}})});
  return w.Bytes();
}

// Attribute codes of the object catalogue.
constexpr int kDrval1 = 87, kDrval2 = 88, kObjnam = 116, kValsou = 179;

// A cell as published cells are cut: 139.70 to 139.80 E, 35.40 to 35.50 N, land in its south-west
// corner and the sea around it both running off the cell, so that their boundaries close along
// the data limit (usage 3); depth areas of every band nested in the sea, each one an interior
// boundary (usage 2) of the one around it; a coastline, a cluster of eight soundings and a
// wreck. Its data set structure counts one isolated node as a connected one, as a published
// validation cell does.
inline std::string EdgeCell() {
  TWriter w;
  // Announced: 0 meta, 0 cartographic, 8 geo, 0 collection features; 1 isolated, 10 connected
  // nodes, 10 edges, 0 faces. Held: 2 isolated, 9 connected.
  w.Record({Dsid("1", "0", "ORVEDGE1.000"), Dssi({0, 0, 8, 0, 1, 10, 10, 0})});
  w.Record({Dspm(10000000, 10)});
  using YX = std::pair<int32_t, int32_t>;
  auto at = [](double lat, double lon) {
    return YX{static_cast<int32_t>(lat * 1e7 + 0.5), static_cast<int32_t>(lon * 1e7 + 0.5)};
  };
  // Connected nodes 1 to 6: the corner A (south-west), the coast's ends B (west edge) and C
  // (south edge), the corners D (north-west), E (north-east) and F (south-east).
  const YX a = at(35.40, 139.70), b = at(35.48, 139.70), c = at(35.40, 139.76), d = at(35.50, 139.70),
           e = at(35.50, 139.80), f = at(35.40, 139.80);
  const YX nodes[] = {a, b, c, d, e, f};
  for (uint32_t i = 0; i < 6; ++i) w.Record({Vrid(120, i + 1), Sg2d({nodes[i]})});
  auto edge = [&](uint32_t id, uint32_t from, uint32_t to, std::vector<YX> vertices) {
    w.Record({Vrid(130, id), Vrpt({{120, from, 255, 255, 1, 255}, {120, to, 255, 255, 2, 255}}), Sg2d(vertices)});
  };
  edge(1, 2, 3, {at(35.46, 139.715), at(35.43, 139.735), at(35.415, 139.75)});  // the coast, B to C
  edge(2, 3, 1, {});                                                            // C to A along the south edge
  edge(3, 1, 2, {});                                                            // A to B along the west edge
  edge(4, 2, 4, {});                                                            // B to D
  edge(5, 4, 5, {});                                                            // D to E
  edge(6, 5, 6, {});                                                            // E to F
  edge(7, 6, 3, {});                                                            // F to C
  // Three nested squares around a shoal, each a ring from its own node (7, 8, 9).
  const double half[] = {0.03, 0.015, 0.005};
  for (uint32_t k = 0; k < 3; ++k) {
    const double h = half[k], lat = 35.46, lon = 139.77;
    w.Record({Vrid(120, 7 + k), Sg2d({at(lat - h, lon - h)})});
    edge(8 + k, 7 + k, 7 + k, {at(lat + h, lon - h), at(lat + h, lon + h), at(lat - h, lon + h)});
  }
  // Soundings (SOMF 10: tenths of a metre) and a wreck.
  std::vector<std::array<int32_t, 3>> soundings;
  const std::pair<YX, int32_t> depths[] = {
      {at(35.47, 139.725), 8}, {at(35.485, 139.74), 15},   {at(35.42, 139.785), 42},  {at(35.49, 139.76), 123},
      {at(35.46, 139.77), -6}, {at(35.475, 139.785), 250}, {at(35.445, 139.79), 316}, {at(35.41, 139.795), 572}};
  for (const auto& [yx, depth] : depths) soundings.push_back({yx.first, yx.second, depth});
  w.Record({Vrid(110, 1), Sg3d(soundings)});
  w.Record({Vrid(110, 2), Sg2d({at(35.43, 139.765)})});

  auto area = [](uint32_t id, int objl, std::vector<std::pair<int, std::string>> attrs, std::vector<TPointer> ps) {
    return std::vector<TField>{Frid(id, 3, 1, objl), Foid(540, id, 1), Attf(attrs), Fspt(ps)};
  };
  w.Record(area(1, 71, {{kObjnam, "Orvane Head"}}, {{130, 1, 1, 1, 255}, {130, 2, 1, 3, 255}, {130, 3, 1, 3, 255}}));
  w.Record(area(2, 42, {{kDrval1, "30"}, {kDrval2, "50"}, {kObjnam, "Outer Road"}},
                {{130, 1, 2, 1, 255},
                 {130, 4, 1, 3, 255},
                 {130, 5, 1, 3, 255},
                 {130, 6, 1, 3, 255},
                 {130, 7, 1, 3, 255},
                 {130, 8, 1, 2, 255}}));
  w.Record(area(3, 42, {{kDrval1, "2"}, {kDrval2, "30"}}, {{130, 8, 1, 1, 255}, {130, 9, 1, 2, 255}}));
  w.Record(area(4, 42, {{kDrval1, "0"}, {kDrval2, "2"}}, {{130, 9, 1, 1, 255}, {130, 10, 1, 2, 255}}));
  w.Record(area(5, 42, {{kDrval1, "-2"}, {kDrval2, "0"}}, {{130, 10, 1, 1, 255}}));
  w.Record({Frid(6, 2, 1, 30), Foid(540, 6, 1), Fspt({{130, 1, 1, 255, 255}})});
  w.Record({Frid(7, 1, 2, 129), Foid(540, 7, 1), Fspt({{110, 1, 255, 255, 255}})});
  w.Record({Frid(8, 1, 2, 159), Foid(540, 8, 1), Attf({{kValsou, "3.5"}, {kObjnam, "Wreck of the Kestrel"}}),
            Fspt({{110, 2, 255, 255, 255}})});
  return w.Bytes();
}

}  // namespace orvane::s57w
