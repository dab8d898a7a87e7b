// SPDX-License-Identifier: GPL-3.0-or-later
// The converter's text read into the chart layer's nodes, edges and features.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "common/HostConv.h"
#include "common/SplitCommaText.h"
#include "maps/MapFile.h"
#include "maps/UEncMap.h"

namespace orvane {
namespace {

bool StartsWith(std::string_view line, std::string_view head) { return line.substr(0, head.size()) == head; }
// Characters 2 to 5 hold a field line's tag, its content runs from character 7 on.
std::string_view Tag(std::string_view line) { return line.size() >= 5 ? line.substr(1, 4) : std::string_view(); }
std::string_view Content(std::string_view line) { return line.size() > 6 ? line.substr(6) : std::string_view(); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Attribute codes of the object catalogue that the chart shows.
constexpr int32_t kDrval1 = 87, kDrval2 = 88, kObjnam = 116, kValsou = 179;

// Usage 1 is the exterior boundary, 3 the exterior boundary where the data limit cuts it (an
// area that runs off the cell); 2, the interior boundaries, are left out of the fill.
bool OuterBoundary(int32_t usag) { return usag == 1 || usag == 3; }

void Extend(TEncBox& box, const TEncCoord& c) {
  box.LeastLon = std::min(box.LeastLon, c.Lon);
  box.LeastLat = std::min(box.LeastLat, c.Lat);
  box.GreatestLon = std::max(box.GreatestLon, c.Lon);
  box.GreatestLat = std::max(box.GreatestLat, c.Lat);
}

// Key texts of areas below 10 000 000 square arc-seconds have 16 characters and sort as text;
// longer ones would not, so the shorter key is the smaller area. Keys that are no number at
// all (an overflowing box) go last, drawn first.
bool AreaKeyLess(const TEncKeyedShape& a, const TEncKeyedShape& b) {
  const bool numA = a.Key.find_first_of("IN") == std::string::npos;
  const bool numB = b.Key.find_first_of("IN") == std::string::npos;
  if (numA != numB) return numA;
  if (a.Key.size() != b.Key.size()) return a.Key.size() < b.Key.size();
  return a.Key < b.Key;
}

void SortByKey(std::vector<TEncKeyedVector>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const TEncKeyedVector& a, const TEncKeyedVector& b) { return a.Key < b.Key; });
}

}  // namespace

std::string FindSubfield(const std::vector<std::string>& fields, std::string_view name, int k) {
  for (size_t i = 2; i < fields.size(); ++i) {
    const std::string& f = fields[i];
    if (f.size() > name.size() && f.compare(0, name.size(), name) == 0 && f[name.size()] == '=' && k-- == 0)
      return f.substr(name.size() + 1);
  }
  return {};
}

TEncRecordName DecodePointerName(std::string_view name) {
  auto byteAt = [&](size_t at) -> uint32_t {
    const int hi = at + 1 < name.size() ? HexDigit(name[at]) : -1;
    const int lo = at + 1 < name.size() ? HexDigit(name[at + 1]) : -1;
    if (hi < 0 || lo < 0) throw EConvertError("'" + std::string(name) + "' is not a valid record pointer name");
    return static_cast<uint32_t>(hi * 16 + lo);
  };
  TEncRecordName r;
  r.Code = static_cast<int32_t>(byteAt(2));
  r.Id = byteAt(4) | byteAt(6) << 8 | byteAt(8) << 16 | byteAt(10) << 24;
  return r;
}

std::string EncAreaKey(const TEncBox& box) {
  const double width = std::fabs(box.GreatestLon - box.LeastLon) * 3600;
  const double height = std::fabs(box.GreatestLat - box.LeastLat) * 3600;
  const double area = width * height;
  std::string text = FormatFixed(area, 8);
  if (text.size() < 16) text.insert(0, 16 - text.size(), ' ');
  return text;
}

class TEncMap::TReader {
public:
  TReader(TEncMap& map, std::string_view text, const std::string& fileName)
      : map_(map), text_(text), lines_(text), file_(fileName), budget_(text.size() + 65536) {}

  // Data set parameters and every node and edge.
  void VectorPass() {
    std::string_view line;
    while (lines_.Next(line)) {
      if (!StartsWith(line, "RECN")) continue;
      while (lines_.Next(line)) {
        if (StartsWith(line, "****")) break;
        const std::string_view tag = Tag(line);
        if (tag == "DSPM") {
          Split(line);
          const int32_t comf = Int(Subfield("COMF"), "COMF", line);
          const int32_t somf = Int(Subfield("SOMF"), "SOMF", line);
          // Refused here, so that no later chart without DSPM inherits a factor of 0 either.
          if (comf == 0) Fail("COMF 0 cannot scale coordinates", line);
          if (somf == 0) Fail("SOMF 0 cannot scale depths", line);
          map_.comf_ = comf;
          map_.somf_ = somf;
          map_.cell_.Hdat = Subfield("HDAT");
        } else if (tag == "DSID") {
          Split(line);
          map_.cell_.Name = Subfield("DSNM");
          map_.cell_.Edition = Subfield("EDTN");
          map_.cell_.Update = Subfield("UPDN");
          map_.cell_.Issued = Subfield("ISDT");
        } else if (tag == "VRID") {
          VectorRecord(line);
          break;
        }
      }
    }
  }

  // Every feature, once the vector lists are sorted.
  void FeaturePass() {
    lines_ = TLineReader(text_);
    std::string_view line;
    while (lines_.Next(line))
      if (Tag(line) == "FRID") Feature(line);
  }

private:
  [[noreturn]] void Fail(const std::string& cause, std::string_view line) {
    EncLineError(file_, lines_.LineNo(), cause, line);
  }
  void Split(std::string_view line) { SplitCommaText(Content(line), f_); }
  std::string Subfield(std::string_view name) { return FindSubfield(f_, name, 0); }

  // Every value of one subfield in field order, so that the k-th is found without a scan per k.
  std::vector<std::string_view> Values(std::string_view name) const {
    std::vector<std::string_view> out;
    for (size_t i = 2; i < f_.size(); ++i) {
      const std::string& f = f_[i];
      if (f.size() > name.size() && f.compare(0, name.size(), name) == 0 && f[name.size()] == '=')
        out.push_back(std::string_view(f).substr(name.size() + 1));
    }
    return out;
  }
  static std::string_view Nth(const std::vector<std::string_view>& values, int32_t k) {
    return static_cast<size_t>(k) < values.size() ? values[static_cast<size_t>(k)] : std::string_view();
  }

  int32_t Int(std::string_view text, std::string_view what, std::string_view line) {
    int32_t v = 0;
    if (!TryStrToInt(text, v))
      Fail(std::string(what) + ": '" + std::string(text) + "' is not a valid integer value", line);
    return v;
  }
  double Real(std::string_view text, std::string_view what, std::string_view line) {
    double v = 0;
    if (TryStrToFloat(text, v)) return v;
    int32_t i = 0;
    if (TryStrToInt(text, i)) return i;  // hexadecimal
    Fail(std::string(what) + ": '" + std::string(text) + "' is not a valid floating point value", line);
  }
  int32_t Count(std::string_view line) {
    if (f_.empty()) Fail(std::string(Tag(line)) + ": no count", line);
    return Int(f_[0], Tag(line), line);
  }

  void VectorRecord(std::string_view line) {
    Split(line);
    const std::string rcnm = Subfield("RCNM");
    std::vector<TEncKeyedVector>* list = rcnm == "110"   ? &map_.nodes110_
                                         : rcnm == "120" ? &map_.nodes120_
                                         : rcnm == "130" ? &map_.edges_
                                                         : nullptr;
    if (!list) return;
    TEncKeyedVector rec;
    rec.Key = Subfield("RCID");
    while (lines_.Next(line)) {
      if (StartsWith(line, "****")) break;
      const std::string_view tag = Tag(line);
      if (tag == "SG2D" || tag == "SG3D") {
        rec.Vector.Soundings = tag == "SG3D";
        Coordinates(line, rec.Vector.Soundings ? 3 : 2, rec.Vector.Coords);
      } else if (tag == "VRPT")
        PointerNames(line, rec.Vector.PointerNames);
    }
    list->push_back(std::move(rec));
  }

  // Y, X (and the depth) per coordinate, in units of the scale factors.
  void Coordinates(std::string_view line, size_t dims, std::vector<TEncCoord>& out) {
    Split(line);
    const int32_t n = Count(line);
    out.clear();
    if (n <= 0) return;
    const size_t given = f_.size() > 2 ? (f_.size() - 2) / dims : 0;
    if (static_cast<size_t>(n) > given)
      Fail(std::to_string(n) + " coordinates announced, " + std::to_string(given) + " given", line);
    const double comf = map_.comf_, somf = map_.somf_;
    out.reserve(static_cast<size_t>(n));
    for (size_t i = 0; i < static_cast<size_t>(n); ++i) {
      const size_t at = 2 + i * dims;
      const double y = Real(f_[at], "Y", line), x = Real(f_[at + 1], "X", line);
      const double depth = dims == 3 ? Real(f_[at + 2], "depth", line) / somf : 0;
      out.push_back({x / comf, y / comf, depth});
    }
  }

  void PointerNames(std::string_view line, std::vector<std::string>& out) {
    Split(line);
    const int32_t n = Count(line);
    const std::vector<std::string_view> names = Values("NAME");
    out.clear();
    if (n <= 0) return;
    if (static_cast<size_t>(n) > names.size())
      Fail(std::to_string(n) + " pointers announced, " + std::to_string(names.size()) + " NAME subfields given", line);
    out.assign(names.begin(), names.begin() + n);
  }

  const TEncVector* Resolve(std::string_view name, std::string_view line) {
    TEncRecordName r;
    try {
      r = DecodePointerName(name);
    } catch (const EConvertError& e) {
      Fail(e.what(), line);
    }
    const std::vector<TEncKeyedVector>* list = r.Code == 110   ? &map_.nodes110_
                                               : r.Code == 120 ? &map_.nodes120_
                                               : r.Code == 130 ? &map_.edges_
                                                               : nullptr;
    if (!list) return nullptr;
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, r.Id);
    const std::string_view key(buf, static_cast<size_t>(end - buf));
    const auto it = std::lower_bound(list->begin(), list->end(), key,
                                     [](const TEncKeyedVector& v, std::string_view k) { return v.Key < k; });
    return it != list->end() && it->Key == key ? &it->Vector : nullptr;
  }

  // A node's position; nothing when the name resolves to no record or to one without coordinates.
  void AppendNode(TEncShape& shape, std::string_view name, std::string_view line) {
    const TEncVector* node = Resolve(name, line);
    if (node && !node->Coords.empty()) shape.Points.push_back(node->Coords.front());
  }

  // The edge's start node, its vertices and its end node, in the pointer's orientation. An edge
  // without exactly two nodes gives its vertices only. A line whose edge begins elsewhere than
  // where the line has got to goes on in a new stretch (`breaks`), not across the gap.
  void AppendEdge(TEncShape& shape, std::string_view name, int32_t ornt, std::string_view line, bool breaks) {
    const TEncVector* edge = Resolve(name, line);
    if (!edge) return;
    const std::vector<std::string>& p = edge->PointerNames;
    const std::vector<TEncCoord>& c = edge->Coords;
    const bool nodes = p.size() == 2, reverse = ornt == 2;
    const size_t grow = c.size() + (nodes ? 2 : 0);
    // A feature may name the same long edge again and again; the points it may gather stay in
    // proportion to the text read, so a hostile file cannot exhaust memory.
    if (grow > budget_) Fail("more shape points than a chart of this size can hold", line);
    budget_ -= grow;
    const size_t first = shape.Points.size();
    shape.Points.reserve(first + grow);
    if (nodes) AppendNode(shape, p[reverse ? 1 : 0], line);
    if (reverse)
      shape.Points.insert(shape.Points.end(), c.rbegin(), c.rend());
    else
      shape.Points.insert(shape.Points.end(), c.begin(), c.end());
    if (nodes) AppendNode(shape, p[reverse ? 0 : 1], line);
    if (shape.Points.size() == first) return;
    if (breaks && first > 0 && !(shape.Points[first] == shape.Points[first - 1])) shape.Breaks.push_back(first);
    size_t i = first;
    if (first == 0) {
      const TEncCoord& s = shape.Points.front();
      shape.Box = {s.Lon, s.Lat, s.Lon, s.Lat};
      i = 1;
    }
    for (; i < shape.Points.size(); ++i) Extend(shape.Box, shape.Points[i]);
  }

  void Feature(std::string_view line) {
    Split(line);
    Int(Subfield("RCID"), "RCID", line);
    Int(Subfield("GRUP"), "GRUP", line);
    const int32_t objl = Int(Subfield("OBJL"), "OBJL", line);
    const int32_t prim = Int(Subfield("PRIM"), "PRIM", line);
    ++map_.cell_.Features[prim >= 1 && prim <= 3 ? prim : 0];
    if (objl < 1 || objl > kEncClassCount) return;
    const TEncObjClass& cls = map_.classes_[static_cast<size_t>(objl)];
    if (cls.Show == 0) return;
    if (prim == 1)
      PointFeature(objl, cls.Symbol != 0);
    else if (prim == 2 || prim == 3)
      ShapeFeature(objl, prim == 3);
  }

  // The attributes the chart shows, from an ATTF line (ATTL code, ATVL value, pair by pair). A
  // value that is empty or no number is unknown, as the chart has it: these lines are extras
  // that older readers skip, so they never end a load.
  void Attributes(std::string_view line, TEncAttributes& a) {
    Split(line);
    const std::vector<std::string_view> codes = Values("ATTL"), values = Values("ATVL");
    for (size_t k = 0; k < codes.size() && k < values.size(); ++k) {
      int32_t code = 0;
      if (!TryStrToInt(codes[k], code)) continue;
      double* number = code == kDrval1   ? &a.Drval1
                       : code == kDrval2 ? &a.Drval2
                       : code == kValsou ? &a.Valsou
                                         : nullptr;
      if (number && !TryStrToFloat(values[k], *number)) *number = kEncNoValue;
      if (code == kObjnam) a.Objnam = values[k];
    }
  }

  // The feature record's next FSPT line, split, gathering the ATTF lines met on the way; false at
  // the record's end.
  bool NextPointerLine(std::string_view& line, TEncAttributes& attributes) {
    while (lines_.Next(line)) {
      if (StartsWith(line, "****")) return false;
      if (Tag(line) == "ATTF") Attributes(line, attributes);
      if (Tag(line) != "FSPT") continue;
      Split(line);
      return true;
    }
    return false;
  }

  // A point, or a sounding cluster: the first coordinate of the record the last FSPT names, and
  // for a cluster every sounding.
  void PointFeature(int32_t objl, bool symbol) {
    const TEncVector* last = nullptr;
    TEncAttributes attributes;
    std::string_view line;
    while (NextPointerLine(line, attributes)) last = Resolve(Subfield("NAME"), line);
    if (!last || last->Coords.empty()) return;
    const TEncCoord& c = last->Coords.front();
    if (symbol) map_.spots_.push_back({objl, c.Lon, c.Lat, c.Depth, attributes, last->Soundings});
    if (last->Soundings)
      for (const TEncCoord& s : last->Coords) map_.soundings_.push_back({objl, s.Lon, s.Lat, s.Depth, {}, true});
  }

  // One shape per FSPT line: its edges in order; an area keeps its exterior boundary only,
  // including the stretches along the cell's edge.
  void ShapeFeature(int32_t objl, bool area) {
    const size_t areasBefore = map_.areas_.size(), linesBefore = map_.lines_.size();
    TEncAttributes attributes;
    std::string_view line;
    while (NextPointerLine(line, attributes)) {
      const int32_t n = Count(line);
      const std::vector<std::string_view> names = Values("NAME"), ornts = Values("ORNT");
      const std::vector<std::string_view> usags = area ? Values("USAG") : std::vector<std::string_view>();
      TEncShape shape;
      shape.ObjClass = objl;
      // Every pass names a pointer subfield that must exist, so a count larger than the line's
      // subfields ends in an error, not in a long loop.
      for (int32_t k = 0; k < n; ++k) {
        if (area && !OuterBoundary(Int(Nth(usags, k), "USAG", line))) continue;
        const int32_t ornt = Int(Nth(ornts, k), "ORNT", line);
        AppendEdge(shape, Nth(names, k), ornt, line, !area);
      }
      if (shape.Points.empty()) continue;
      if (area) {
        std::string key = EncAreaKey(shape.Box);
        map_.areas_.push_back({std::move(key), std::move(shape)});
      } else {
        map_.lines_.push_back(std::move(shape));
      }
    }
    for (size_t i = areasBefore; i < map_.areas_.size(); ++i) map_.areas_[i].Shape.Attributes = attributes;
    for (size_t i = linesBefore; i < map_.lines_.size(); ++i) map_.lines_[i].Attributes = attributes;
  }

  TEncMap& map_;
  std::string_view text_;
  TLineReader lines_;
  const std::string& file_;
  std::vector<std::string> f_;
  size_t budget_;
};

void TEncMap::ReadConverted(std::string_view text, const std::string& fileName) {
  TReader reader(*this, text, fileName);
  // What was read before an error stays, sorted, so that it is found and drawn in order.
  auto sortVectors = [this] {
    SortByKey(nodes110_);
    SortByKey(nodes120_);
    SortByKey(edges_);
  };
  auto sortAreas = [this] { std::stable_sort(areas_.begin(), areas_.end(), AreaKeyLess); };
  try {
    reader.VectorPass();
  } catch (...) {
    sortVectors();
    throw;
  }
  sortVectors();
  try {
    reader.FeaturePass();
  } catch (...) {
    sortAreas();
    throw;
  }
  sortAreas();
}
}  // namespace orvane
