#include "maps/UEncMap.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/HostConv.h"
#include "common/SplitCommaText.h"

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

std::string ReadFileText(const std::string& path, const std::string& hint = {}) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw std::runtime_error("Cannot open file \"" + path + "\": Is a directory" + hint);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\": " + std::strerror(errno) + hint);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\"" + hint);
  return std::move(text).str();
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

// Keeps far-off points from overflowing the integer pixel arithmetic of the canvas.
int TruncPixel(double v) {
  constexpr double kLimit = 1 << 30;
  if (!(v > -kLimit)) return -(1 << 30);
  if (!(v < kLimit)) return 1 << 30;
  return static_cast<int>(v);
}

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

// Lines of a text, LF or CR LF ended.
class TLines {
public:
  explicit TLines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNo_;
    return true;
  }
  void Rewind() {
    pos_ = 0;
    lineNo_ = 0;
  }
  int LineNo() const { return lineNo_; }

private:
  std::string_view text_;
  size_t pos_ = 0;
  int lineNo_ = 0;
};

}  // namespace

// ---- object class table ---------------------------------------------------------------------

void ReadEncClassTable(std::istream& in, const std::string& fileName, TEncClassTable& table) {
  std::string line;
  std::vector<std::string> f;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.empty()) LineError(fileName, lineNo, "empty line (comment lines begin with #)", line);
    SplitCommaText(line, f);
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
}

TEncClassTable ReadEncClassTableFile(const std::string& path) {
  std::istringstream in(ReadFileText(path));
  TEncClassTable table{};
  ReadEncClassTable(in, path, table);
  return table;
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
      : map_(map), lines_(text), file_(fileName), budget_(text.size() + 65536) {}

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
        } else if (tag == "VRID") {
          VectorRecord(line);
          break;
        }
      }
    }
  }

  // Every feature, once the vector lists are sorted.
  void FeaturePass() {
    lines_.Rewind();
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
      if (tag == "SG2D")
        Coordinates(line, 2, rec.Vector.Coords);
      else if (tag == "SG3D")
        Coordinates(line, 3, rec.Vector.Coords);
      else if (tag == "VRPT")
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
  // without exactly two nodes gives its vertices only.
  void AppendEdge(TEncShape& shape, std::string_view name, int32_t ornt, std::string_view line) {
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
    if (objl < 1 || objl > kEncClassCount) return;
    const TEncObjClass& cls = map_.classes_[static_cast<size_t>(objl)];
    if (cls.Show == 0) return;
    if (prim == 1 && cls.Symbol != 0)
      PointFeature(objl);
    else if (prim == 2 || prim == 3)
      ShapeFeature(objl, prim == 3);
  }

  // A point, or a sounding cluster: the first coordinate of the record the last FSPT names.
  void PointFeature(int32_t objl) {
    const TEncVector* last = nullptr;
    std::string_view line;
    while (lines_.Next(line)) {
      if (StartsWith(line, "****")) break;
      if (Tag(line) != "FSPT") continue;
      Split(line);
      last = Resolve(Subfield("NAME"), line);
    }
    if (!last || last->Coords.empty()) return;
    const TEncCoord& c = last->Coords.front();
    map_.spots_.push_back({objl, c.Lon, c.Lat, c.Depth});
  }

  // One shape per FSPT line: its edges in order; an area keeps its exterior boundary only.
  void ShapeFeature(int32_t objl, bool area) {
    std::string_view line;
    while (lines_.Next(line)) {
      if (StartsWith(line, "****")) break;
      if (Tag(line) != "FSPT") continue;
      Split(line);
      const int32_t n = Count(line);
      const std::vector<std::string_view> names = Values("NAME"), ornts = Values("ORNT");
      const std::vector<std::string_view> usags = area ? Values("USAG") : std::vector<std::string_view>();
      TEncShape shape;
      shape.ObjClass = objl;
      // Every pass names a pointer subfield that must exist, so a count larger than the line's
      // subfields ends in an error, not in a long loop.
      for (int32_t k = 0; k < n; ++k) {
        if (area && Int(Nth(usags, k), "USAG", line) != 1) continue;
        const int32_t ornt = Int(Nth(ornts, k), "ORNT", line);
        AppendEdge(shape, Nth(names, k), ornt, line);
      }
      if (shape.Points.empty()) continue;
      if (area) {
        std::string key = EncAreaKey(shape.Box);
        map_.areas_.push_back({std::move(key), std::move(shape)});
      } else {
        map_.lines_.push_back(std::move(shape));
      }
    }
  }

  TEncMap& map_;
  TLines lines_;
  const std::string& file_;
  std::vector<std::string> f_;
  size_t budget_;
};

// ---- the layer ------------------------------------------------------------------------------

TEncMap::TEncMap(TEncConverter& converter, const std::string& classTablePath)
    : converter_(converter), classes_(ReadEncClassTableFile(classTablePath)) {}

void TEncMap::ReadClassTable(const std::string& path) { classes_ = ReadEncClassTableFile(path); }

void TEncMap::Clear() {
  nodes110_.clear();
  nodes120_.clear();
  edges_.clear();
  spots_.clear();
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
  const std::string text = ReadFileText(output, " (the converter wrote nothing for \"" + chartPath + "\")");
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

void TEncMap::Draw(TCanvas& canvas, const TViewBox& view) {
  const double West = view.West, South = view.South, East = view.East, North = view.North;
  if (!(East > West) || !(North > South)) return;
  const TRect clip = canvas.ClipRect();
  const double sx = (clip.Right - clip.Left) / (East - West);
  const double sy = (clip.Bottom - clip.Top) / (North - South);
  auto meets = [&](const TEncBox& b) {
    return b.LeastLon <= East && b.GreatestLon >= West && b.LeastLat <= North && b.GreatestLat >= South;
  };
  auto map = [&](const std::vector<TEncCoord>& points) {
    mapped_.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i)
      mapped_[i] = {TruncPixel((points[i].Lon - West) * sx), TruncPixel((North - points[i].Lat) * sy)};
    return static_cast<int>(mapped_.size());
  };

  // Largest boxes first, so that smaller areas lie on top of the ones around them.
  canvas.SetPenColor(clBlack);
  canvas.SetPenStyle(TPenStyle::Clear);
  canvas.SetBrushStyle(TBrushStyle::Solid);
  for (auto it = areas_.rbegin(); it != areas_.rend(); ++it) {
    const TEncShape& s = it->Shape;
    if (!meets(s.Box)) continue;
    canvas.SetBrushColor(classes_[static_cast<size_t>(s.ObjClass)].Color);
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
    canvas.Polyline(mapped_.data(), n);
  }

  canvas.SetPenColor(clBlack);
  canvas.SetBrushStyle(TBrushStyle::Clear);
  const TSize symbol = canvas.SymbolSize();
  for (const TEncSpot& p : spots_) {
    if (p.Lon < West || p.Lon > East || p.Lat < South || p.Lat > North) continue;
    const int x = TruncPixel((p.Lon - West) * sx), y = TruncPixel((North - p.Lat) * sy);
    canvas.DrawSymbol(x - symbol.cx / 2, y - symbol.cy / 2, classes_[static_cast<size_t>(p.ObjClass)].Symbol);
  }
}

}  // namespace orvane
