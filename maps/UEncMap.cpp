// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UEncMap.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "common/HostConv.h"
#include "common/SplitCommaText.h"
#include "maps/MapFile.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

// A line quoted in an error message; a line of megabytes helps nobody.
std::string Quoted(std::string_view text) {
  constexpr size_t kMax = 120;
  if (text.size() <= kMax) return "\"" + std::string(text) + "\"";
  return "\"" + std::string(text.substr(0, kMax)) + "...\"";
}

[[noreturn]] void LineError(const std::string& fileName, int lineNo, const std::string& cause, std::string_view text) {
  throw EConvertError(fileName + ", line " + std::to_string(lineNo) + ": " + cause + " in " + Quoted(text));
}

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

// Depth figures are small and grey, as on a paper chart.
constexpr TColor kSoundingColor = 0x808080;

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

// A private folder for the converter's output: unique to this load, so neither two programs
// nor a reload started while the converter runs share a file, and the program's own folder
// need not be writable.
class TScratchDir {
public:
  TScratchDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "orvane-enc-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw std::runtime_error("Cannot create a temporary folder in \"" + base.string() +
                               "\": " + std::strerror(errno));
    dir_ = pattern;
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  std::string File(const char* name) const { return (dir_ / name).string(); }

private:
  std::filesystem::path dir_;
};

}  // namespace

// ---- the converter's failure --------------------------------------------------------------

std::string ConverterReason(std::string_view errors) {
  std::string_view first;
  for (size_t pos = 0; pos < errors.size();) {
    size_t end = errors.find('\n', pos);
    if (end == std::string_view::npos) end = errors.size();
    std::string_view line = errors.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (StartsWith(line, "marlisk: ")) line.remove_prefix(9);
    if (first.empty()) first = line;
    if (!StartsWith(line, "warning: ")) return std::string(line);
  }
  return first.empty() ? "no message" : std::string(first);
}

std::string ConverterFailure(const std::string& chart, const TConverterEnd& end) {
  std::string how;
  if (end.Signalled) {
    const char* name = strsignal(end.Code);
    how = "killed by signal " + std::to_string(end.Code) + (name ? std::string(", ") + name : std::string());
  } else {
    how = "exit status " + std::to_string(end.Code);
  }
  return "marlisk failed on \"" + chart + "\" (" + how + "): " + ConverterReason(end.Errors);
}

// ---- object class table ---------------------------------------------------------------------

void ReadEncClassTable(std::istream& in, const std::string& fileName, TEncClassTable& table,
                       std::vector<TEncDepthBand>* bands) {
  std::string line;
  std::vector<std::string> f;
  int lineNo = 0;
  std::vector<TEncDepthBand> read;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.empty()) LineError(fileName, lineNo, "empty line (comment lines begin with #)", line);
    SplitCommaText(line, f);
    if (!f.empty() && f[0] == "DEPTH") {
      if (f.size() < 3) LineError(fileName, lineNo, "3 fields expected, " + std::to_string(f.size()) + " found", line);
      TEncDepthBand band;
      int32_t color = 0;
      if (!TryStrToFloat(f[1], band.From) || !std::isfinite(band.From))
        LineError(fileName, lineNo, "'" + f[1] + "' is not a valid depth in metres", line);
      if (!TryStrToInt(f[2], color)) LineError(fileName, lineNo, "'" + f[2] + "' is not a valid integer value", line);
      band.Color = static_cast<TColor>(color);
      read.push_back(band);
      continue;
    }
    if (f.size() < 7) LineError(fileName, lineNo, "7 fields expected, " + std::to_string(f.size()) + " found", line);
    int32_t v[7] = {};
    for (int i : {0, 2, 3, 4, 5, 6})
      if (!TryStrToInt(f[static_cast<size_t>(i)], v[i]))
        LineError(fileName, lineNo, "'" + f[static_cast<size_t>(i)] + "' is not a valid integer value", line);
    // The table has entries 1 to 504 only; a code outside names no class.
    if (v[0] < 1 || v[0] > kEncClassCount) continue;
    table[static_cast<size_t>(v[0])] = {f[1], v[2], v[3], v[4], v[5], v[6]};
  }
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + fileName + "\"");
  std::stable_sort(read.begin(), read.end(),
                   [](const TEncDepthBand& a, const TEncDepthBand& b) { return a.From < b.From; });
  if (bands) *bands = std::move(read);
}

TEncStyle ReadEncClassTableFile(const std::string& path) {
  std::istringstream in(ReadMapFile(path));
  TEncStyle style;
  ReadEncClassTable(in, path, style.Classes, &style.Bands);
  return style;
}

std::string EncClassTablePath(const std::string& programFolder) {
  const std::string beside = programFolder + "/" + kEncClassTableFile;
  const std::string shared = programFolder + "/../share/orvane/" + kEncClassTableFile;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(beside, ec) && std::filesystem::is_regular_file(shared, ec)) return shared;
  return beside;
}

std::optional<TColor> DepthBandColor(const std::vector<TEncDepthBand>& bands, double drval1, double drval2) {
  if (bands.empty() || std::isnan(drval1)) return std::nullopt;
  TColor color = bands.front().Color;
  for (const TEncDepthBand& b : bands)
    if (drval1 >= b.From && (std::isnan(drval2) || drval2 > b.From)) color = b.Color;
  return color;
}

TSoundingFigure SoundingFigure(double depth) {
  if (!std::isfinite(depth)) return {"?", false};
  // Both ways round toward less water: a depth shown deeper, or a drying height shown lower,
  // would promise water over the spot that is not there (a lower height covers earlier in the
  // tide). So depths go down and heights go up. The small allowance keeps 12.3, stored as
  // 12.2999..., at 12.3, and a height of 1.4, stored as 1.4000...1, at 1.4.
  const bool drying = depth < 0;
  const double metres = std::abs(depth);
  const int decimals = metres < 31 ? 1 : 0;
  const double scale = decimals ? 10 : 1;
  const double shown = (drying ? std::ceil(metres * scale - 1e-6) : std::floor(metres * scale + 1e-6)) / scale;
  return {FormatFixed(shown, decimals), drying};
}

// ---- helpers of the converted text -------------------------------------------------------------

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

// ---- reading the converted text -------------------------------------------------------------

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
    LineError(file_, lines_.LineNo(), cause, line);
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

// ---- the layer ------------------------------------------------------------------------------

TEncMap::TEncMap(TEncConverter& converter, const std::string& classTablePath) : converter_(converter) {
  ReadClassTable(classTablePath);
}

void TEncMap::ReadClassTable(const std::string& path) {
  TEncStyle style = ReadEncClassTableFile(path);
  classes_ = style.Classes;
  bands_ = std::move(style.Bands);
}

TLayerDescription TEncMap::Describe() const {
  TLayerDescription d;
  const auto& f = cell_.Features;
  d.Counts = {{"isolated nodes", std::to_string(nodes110_.size())},
              {"connected nodes", std::to_string(nodes120_.size())},
              {"edges", std::to_string(edges_.size())},
              {"features", std::to_string(f[0] + f[1] + f[2] + f[3]) + " (" + std::to_string(f[1]) + " points, " +
                               std::to_string(f[2]) + " lines, " + std::to_string(f[3]) + " areas, " +
                               std::to_string(f[0]) + " without geometry)"},
              {"point features", std::to_string(spots_.size())},
              {"line features", std::to_string(lines_.size())},
              {"area features", std::to_string(areas_.size())},
              {"soundings", std::to_string(soundings_.size())}};
  for (const auto* list : {&nodes110_, &nodes120_, &edges_})
    for (const TEncKeyedVector& v : *list)
      for (const TEncCoord& c : v.Vector.Coords) WidenExtent(d.Extent, c.Lon, c.Lat);
  const std::string hdat = cell_.Hdat.empty()  ? "not given"
                           : cell_.Hdat == "2" ? "WGS 84 (HDAT 2)"
                                               : "HDAT " + cell_.Hdat;
  d.Datum = hdat + ", " + kDrawnAsRead;
  if (!cell_.Name.empty()) d.Details.push_back({"cell", cell_.Name});
  if (!cell_.Edition.empty())
    d.Details.push_back({"updates", "edition " + cell_.Edition + ", up to update " +
                                        (cell_.Update.empty() ? std::string("0") : cell_.Update) +
                                        (cell_.Issued.empty() ? "" : ", issued " + cell_.Issued)});
  d.Details.push_back({"scale factors", "COMF " + std::to_string(comf_) + ", SOMF " + std::to_string(somf_)});
  d.Details.push_back(
      {"depth presentation", bands_.empty() ? "class colours (no DEPTH bands in the class table)"
                                            : std::to_string(bands_.size()) + " depth bands, soundings as figures"});
  for (const TEncSpot& p : spots_) ++d.StyleUse[static_cast<unsigned>(p.ObjClass)];
  for (const TEncShape& l : lines_) ++d.StyleUse[static_cast<unsigned>(l.ObjClass)];
  for (const TEncKeyedShape& a : areas_) ++d.StyleUse[static_cast<unsigned>(a.Shape.ObjClass)];
  return d;
}

void TEncMap::Clear() {
  cell_ = {};
  nodes110_.clear();
  nodes120_.clear();
  edges_.clear();
  spots_.clear();
  soundings_.clear();
  lines_.clear();
  areas_.clear();
}

bool TEncMap::Load(const std::string& chartPath) {
  Clear();
  const TScratchDir scratch;
  const std::string output = scratch.File("Marlisk.tmp");
  converter_.Convert(chartPath, output);
  // Events ran while the converter worked; a reload started then has filled the layer already.
  Clear();
  std::string text;
  try {
    text = ReadMapFile(output);
  } catch (const EMapFileError& e) {
    throw EMapFileError(std::string(e.what()) + " (the converter wrote nothing for \"" + chartPath + "\")");
  }
  ReadConverted(text, "\"" + chartPath + "\" converted");
  return true;
}

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

void TEncMap::Draw(TCanvas& canvas, const TViewBox& box) {
  if (!(box.East > box.West) || !(box.North > box.South)) return;
  const TViewMap view(canvas.ClipRect(), box);
  auto meets = [&](const TEncBox& b) { return box.Meets({b.LeastLon, b.LeastLat, b.GreatestLon, b.GreatestLat}); };
  auto map = [&](const std::vector<TEncCoord>& points) {
    mapped_.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) mapped_[i] = view.At(points[i].Lon, points[i].Lat);
    return static_cast<int>(mapped_.size());
  };

  // Largest boxes first, so that smaller areas lie on top of the ones around them.
  canvas.SetPenColor(clBlack);
  canvas.SetPenStyle(TPenStyle::Clear);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  for (auto it = areas_.rbegin(); it != areas_.rend(); ++it) {
    const TEncShape& s = it->Shape;
    if (!meets(s.Box)) continue;
    const std::optional<TColor> band = DepthBandColor(bands_, s.Attributes.Drval1, s.Attributes.Drval2);
    canvas.SetBrushColor(band ? *band : classes_[static_cast<size_t>(s.ObjClass)].Color);
    const int n = map(s.Points);
    canvas.Polygon(mapped_.data(), n);
  }

  canvas.SetPenStyle(TPenStyle::Solid);
  for (const TEncShape& s : lines_) {
    if (!meets(s.Box)) continue;
    const TEncObjClass& cls = classes_[static_cast<size_t>(s.ObjClass)];
    canvas.SetPenColor(cls.Color);
    canvas.SetPenWidth(cls.PenWidth);
    const int n = map(s.Points);
    int from = 0;
    for (const size_t at : s.Breaks) {
      canvas.Polyline(mapped_.data() + from, static_cast<int>(at) - from);
      from = static_cast<int>(at);
    }
    canvas.Polyline(mapped_.data() + from, n - from);
  }

  canvas.SetPenColor(clBlack);
  canvas.SetBrushStyle(TBrushStyle::Clear);
  const TSize symbol = canvas.SymbolSize();
  // With depth bands the chart is drawn as a mariner reads it: soundings as figures, not symbols.
  const bool figures = !bands_.empty();
  for (const TEncSpot& p : spots_) {
    if (!box.Holds(p.Lon, p.Lat) || (figures && p.Sounding)) continue;
    const TPoint at = view.At(p.Lon, p.Lat);
    canvas.DrawSymbol(at.x - symbol.cx / 2, at.y - symbol.cy / 2, classes_[static_cast<size_t>(p.ObjClass)].Symbol);
  }
  if (!figures) return;
  canvas.SetFontColor(kSoundingColor);
  canvas.SetPenColor(kSoundingColor);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(TPenStyle::Solid);
  for (const TEncSpot& p : soundings_) {
    if (!box.Holds(p.Lon, p.Lat)) continue;
    const TSoundingFigure figure = SoundingFigure(p.Depth);
    const TSize size = canvas.TextExtent(figure.Text);
    const TPoint at = view.At(p.Lon, p.Lat);
    const int x = at.x - size.cx / 2, y = at.y - size.cy / 2;
    canvas.TextOut(x, y, figure.Text);
    // A drying height is underlined along the text's last row, below the figures' baseline; a
    // plain line, so that every canvas draws it alike.
    if (figure.Drying && size.cx > 0) {
      canvas.MoveTo(x, y + size.cy - 1);
      canvas.LineTo(x + size.cx - 1, y + size.cy - 1);
    }
  }
  canvas.SetFontColor(clBlack);
  canvas.SetPenColor(clBlack);
}

}  // namespace orvane
