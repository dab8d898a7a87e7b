// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UKddMap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <variant>

#include "common/HostConv.h"
#include "common/ScopeGuard.h"
#include "common/ShiftJis.h"
#include "common/SplitCommaText.h"
#include "geodrel.h"
#include "maps/MapFile.h"
#include "maps/PlaneRect.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

// The fields of one line with where it came from, so that every complaint names the file (or
// section), the line and the text found.
class TFields {
public:
  TFields(std::string source, int lineNo) : source_(std::move(source)), lineNo_(lineNo) {}

  const std::vector<std::string>& Split(std::string_view line) {
    line_ = line;
    SplitCommaText(line, fields_);
    return fields_;
  }
  void SetLineNo(int lineNo) { lineNo_ = lineNo; }
  size_t Count() const { return fields_.size(); }

  [[noreturn]] void Fail(const std::string& what) const { throw EKddFormatError(Where() + what); }
  void Need(size_t count) const {
    if (fields_.size() < count)
      Fail(std::to_string(fields_.size()) + " fields where " + std::to_string(count) + " are needed in " +
           QuoteFound(line_));
  }
  const std::string& Text(size_t i) const {
    Need(i + 1);
    return fields_[i];
  }
  int32_t Int(size_t i) const { return IntOf(Text(i)); }
  // A position the plane conversion refuses is this line's fault.
  template <class Convert>
  auto Position(Convert&& convert) const {
    try {
      return convert();
    } catch (const EPlaneValueError& e) {
      Fail(e.what());
    }
  }
  double Float(size_t i) const { return FieldToFloat(Text(i), {source_, lineNo_}); }
  int32_t IntOf(std::string_view t) const { return FieldToInt(t, {source_, lineNo_}); }

private:
  std::string Where() const { return source_ + ", line " + std::to_string(lineNo_) + ": "; }

  std::string source_;
  int lineNo_;
  std::string_view line_;
  std::vector<std::string> fields_;
};

// "%.7d": at least seven digits, zeros in front, a sign before them.
std::string Id7(int64_t id) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7lld", static_cast<long long>(id));
  return buf;
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c >= 1 && c <= 32; });
}

std::optional<std::string> LabelOf(const std::string& attribute, int32_t field) {
  if (attribute.empty() || field < 0) return std::nullopt;
  const std::vector<std::string> fields = SplitCommaText(attribute);
  if (fields.size() <= static_cast<size_t>(field)) return std::nullopt;
  return SjisToUtf8(fields[static_cast<size_t>(field)]);
}

using TKeyedLines = std::vector<std::pair<std::string, std::string>>;

void SortByKey(TKeyedLines& lines) {
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

const std::string* FindKey(const TKeyedLines& lines, std::string_view key) {
  const auto it = std::lower_bound(lines.begin(), lines.end(), key,
                                   [](const auto& entry, std::string_view k) { return entry.first < k; });
  return it != lines.end() && it->first == key ? &it->second : nullptr;
}

// One field of a type line and the member it fills.
template <class T>
struct TColumn {
  size_t Index;
  std::variant<std::string T::*, double T::*, int32_t T::*> Member;
};

void Put(const TFields& f, size_t i, std::string& to) { to = f.Text(i); }
void Put(const TFields& f, size_t i, double& to) { to = f.Float(i); }
void Put(const TFields& f, size_t i, int32_t& to) { to = f.Int(i); }

// One section into its table. Every line counts toward the size; the type number sits in the
// line's characters 4 and 5 and the value begins at the "=". A line with fewer than `need`
// fields is refused; the columns are read in the order given.
template <class T>
std::vector<T> ReadTable(const std::vector<std::string>& lines, const char* section, size_t need,
                         std::initializer_list<TColumn<T>> columns) {
  std::vector<T> table(lines.size());
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    TFields f(section, static_cast<int>(n + 1));
    const int32_t index = f.IntOf(line.size() > 3 ? std::string_view(line).substr(3, 2) : std::string_view());
    // A number past the table would write where no entry is; such a line describes nothing.
    if (index < 0 || static_cast<size_t>(index) >= table.size()) continue;
    f.Split(std::string_view(line).substr(eq));
    f.Need(need);
    T& entry = table[static_cast<size_t>(index)];
    for (const TColumn<T>& c : columns) std::visit([&](auto member) { Put(f, c.Index, entry.*member); }, c.Member);
  }
  return table;
}

}  // namespace

TKddTypeTables ReadKddTypeTables(const std::vector<std::string>& arcList, const std::vector<std::string>& atrList,
                                 const std::vector<std::string>& pgnList, const std::vector<std::string>& pntList) {
  using Arc = TKddArcType;
  using Atr = TKddAtrType;
  using Pgn = TKddPgnType;
  using Pnt = TKddPntType;
  TKddTypeTables t;
  t.Arc = ReadTable<Arc>(arcList, "[KDDARC]", 5,
                         {{1, &Arc::FileName}, {2, &Arc::OutlineZoom}, {3, &Arc::Outline}, {4, &Arc::OutlineColor}});
  t.Atr = ReadTable<Atr>(
      atrList, "[KDDATR]", 9,
      {{1, &Atr::FileName}, {2, &Atr::Number}, {4, &Atr::FontSize}, {7, &Atr::FontColor}, {8, &Atr::Field}});
  t.Pgn = ReadTable<Pgn>(pgnList, "[KDDPGN]", 14,
                         {{1, &Pgn::FileName},
                          {2, &Pgn::FillZoom},
                          {3, &Pgn::Fill},
                          {4, &Pgn::FillColor},
                          {5, &Pgn::Field5},
                          {11, &Pgn::LabelField},
                          {12, &Pgn::LabelZoom},
                          {13, &Pgn::AtrFileName}});
  t.Pnt = ReadTable<Pnt>(pntList, "[KDDPNT]", 10,
                         {{1, &Pnt::FileName},
                          {2, &Pnt::Number},
                          {4, &Pnt::FontSize},
                          {7, &Pnt::FontColor},
                          {8, &Pnt::LabelField},
                          {9, &Pnt::AtrFileName}});
  return t;
}

// A whole file in memory, handed out line by line without the line ends (LF or CR LF).
class TKddMap::TReader {
public:
  explicit TReader(const std::string& path) : text_(ReadMapFile(path)), lines_(text_), fields_(path, 0) {
    left_ = static_cast<size_t>(std::count(text_.begin(), text_.end(), '\n'));
    if (!text_.empty() && text_.back() != '\n') ++left_;
  }

  bool Next() {
    if (!lines_.Next(line_)) return false;
    --left_;
    fields_.SetLineNo(++lineNo_);
    return true;
  }
  // The next line that must be there: a missing one reads as an empty line, which then lacks
  // whatever field is asked of it.
  void NextNeeded() {
    if (!Next()) {
      line_ = {};
      fields_.SetLineNo(++lineNo_);
    }
  }
  // Lines not yet handed out: no count in a file can ask for more records than this.
  size_t LinesLeft() const { return left_; }
  std::string_view Line() const { return line_; }
  TFields& Split() {
    fields_.Split(line_);
    return fields_;
  }
  TFields& Fields() { return fields_; }

private:
  std::string text_;
  TLineReader lines_;
  size_t left_ = 0;
  int lineNo_ = 0;
  std::string_view line_;
  TFields fields_;
};

std::optional<std::string> TKddMap::MetadataFileName(const std::string& folder) {
  const size_t slash = folder.rfind('/');
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  if (last.empty()) return std::nullopt;
  return folder + "/" + last + ".txt";
}

std::string TKddMap::AreaFileName(const std::string& folder, const std::string& name) {
  if (!name.empty() && name.front() == '\\') return folder + "/" + name.substr(1);
  return folder + name;
}

const TKddArc* TKddMap::FindArc(std::string_view id) const {
  const auto it =
      std::lower_bound(arcs_.begin(), arcs_.end(), id, [](const TKddArc& a, std::string_view k) { return a.Id < k; });
  return it != arcs_.end() && it->Id == id ? &*it : nullptr;
}

void TKddMap::Clear() {
  zone_ = 0;
  dataDatum_.clear();
  types_ = {};
  arcs_.clear();
  arcAttributes_.clear();
  polygons_.clear();
  points_.clear();
  extent_.reset();
}

TKddPos TKddMap::Convert(double X, double Y) {
  double lat = 0, lon = 0;
  PlaneToGeodetic(zone_, lat, lon, X, Y);
  if (dataDatum_ != mapDatum_) {
    const TGeoPoint in{DegToDms(lat), DegToDms(lon), 0};
    TGeoPoint out{};
    // Geodrel leaves an unknown datum's position as it was, which is what data without a
    // datum need.
    DmsConv(dataDatum_.c_str(), mapDatum_.c_str(), &in, &out);
    lat = DmsToDeg(out.lat);
    lon = DmsToDeg(out.lon);
  }
  WidenExtent(extent_, lon, lat);
  return {lon, lat};
}

void TKddMap::SortLists() {
  std::stable_sort(arcs_.begin(), arcs_.end(), [](const TKddArc& a, const TKddArc& b) { return a.Id < b.Id; });
  SortByKey(arcAttributes_);
}

TLayerLoad TKddMap::LoadInSet(const std::string& folder) {
  if (Load(folder)) return {};
  const std::optional<std::string> meta = MetadataFileName(folder);
  if (!meta) return {TLayerLoad::Nothing, folder + ": a folder given with a trailing \"/\" has no metadata file"};
  const size_t slash = meta->rfind('/');
  return {TLayerLoad::Nothing, "\"" + folder + "\" is not a Digital Map 2500 area: it holds no metadata file " +
                                   meta->substr(slash == std::string::npos ? 0 : slash + 1)};
}

bool TKddMap::Load(const std::string& folder) {
  const std::optional<std::string> metaName = MetadataFileName(folder);
  if (!metaName || !MapFileExists(*metaName)) return false;

  // The metadata is read before anything is dropped: an area whose header is broken leaves the
  // layer as it was.
  uint16_t zone = 0;
  std::string dataDatum;
  {
    TReader meta(*metaName);
    for (int n = 0; n < 7; ++n) meta.NextNeeded();
    TFields& f = meta.Split();
    f.Need(10);
    const int32_t z = f.Int(0);
    if (z < 1 || z > kPlaneZoneCount)
      f.Fail("plane rectangular zone " + std::to_string(z) + " does not exist (zones are 1 to 19)");
    zone = static_cast<uint16_t>(z);
    if (f.Int(9) > 0) dataDatum = "WGS 84";
  }
  TKddTypeTables types = ReadKddTypeTables(settings_.ArcList, settings_.AtrList, settings_.PgnList, settings_.PntList);

  Clear();
  zone_ = zone;
  dataDatum_ = dataDatum;
  mapDatum_ = settings_.MapDatum;
  types_ = std::move(types);
  polygons_.resize(types_.Pgn.size());

  // Arcs are looked up by id from here on; whatever stops the load leaves the lists sorted.
  TScopeGuard sortAtExit([this] { SortLists(); });

  for (const TKddArcType& t : types_.Arc) {
    if (t.FileName.empty()) continue;
    const std::string path = AreaFileName(folder, t.FileName);
    if (MapFileExists(path)) ReadArcs(path);
  }
  for (const TKddAtrType& t : types_.Atr) {
    if (t.FileName.empty()) continue;
    const std::string path = AreaFileName(folder, t.FileName);
    if (MapFileExists(path)) ReadArcAttributes(path);
  }
  SortLists();
  sortAtExit.Dismiss();

  for (size_t i = 0; i < types_.Pgn.size(); ++i) {
    const TKddPgnType& t = types_.Pgn[i];
    if (t.FileName.empty()) continue;
    const std::string path = AreaFileName(folder, t.FileName);
    if (MapFileExists(path)) ReadPolygons(path, polygons_[i]);
  }
  for (size_t i = 0; i < types_.Pgn.size(); ++i) {
    const TKddPgnType& t = types_.Pgn[i];
    if (t.AtrFileName.empty()) continue;
    const std::string path = AreaFileName(folder, t.AtrFileName);
    if (MapFileExists(path)) ReadPolygonAttributes(path, polygons_[i], t.LabelField);
  }
  for (size_t i = 0; i < types_.Pnt.size(); ++i) {
    const TKddPntType& t = types_.Pnt[i];
    if (t.FileName.empty()) continue;
    const std::string path = AreaFileName(folder, t.FileName);
    if (!MapFileExists(path)) continue;
    const size_t first = points_.size();
    ReadPoints(path, static_cast<int32_t>(i));
    if (t.AtrFileName.empty()) continue;
    const std::string atrPath = AreaFileName(folder, t.AtrFileName);
    if (MapFileExists(atrPath)) ReadPointAttributes(atrPath, first, t.LabelField);
  }
  return true;
}

// Header: X offset in field 8, Y offset in field 9. Then "L" lines, each opening an arc of the
// point count in its field 3; anything else between arcs is passed over.
void TKddMap::ReadArcs(const std::string& path) {
  TReader r(path);
  r.NextNeeded();
  TFields& h = r.Split();
  h.Need(10);
  const double dx = h.Float(8), dy = h.Float(9);
  while (r.Next()) {
    const std::string_view line = r.Line();
    if (line.empty() || line.front() != 'L') continue;
    TFields& f = r.Split();
    f.Need(4);
    TKddArc arc;
    const std::string& codes = f.Text(0);
    arc.KindCode = codes.substr(0, 3);
    arc.SubCode = codes.size() > 3 ? codes.substr(3, 2) : std::string();
    arc.Class = f.Text(1);
    arc.Id = Id7(f.Int(2));
    // A count the file cannot hold takes the lines there are.
    const size_t n = std::min<size_t>(static_cast<size_t>(std::max(f.Int(3), 0)), r.LinesLeft());
    arc.Points.reserve(n);
    for (size_t k = 0; k < n; ++k) {
      r.Next();
      TFields& c = r.Split();
      const double X = c.Float(0) + dx;
      const double Y = c.Float(1) + dy;
      arc.Points.push_back(c.Position([&] { return Convert(X, Y); }));
    }
    arc.PointCount = static_cast<int32_t>(arc.Points.size());
    arcs_.push_back(std::move(arc));
  }
}

void TKddMap::ReadArcAttributes(const std::string& path) {
  TReader r(path);
  r.Next();
  while (r.Next()) {
    if (IsBlankLine(r.Line())) continue;
    TFields& f = r.Split();
    arcAttributes_.emplace_back(Id7(f.Int(1)), std::string(r.Line()));
  }
}

// Header: polygon count in field 4, offsets in fields 8 and 9. Each record is an "A" line
// followed by its arc lines, or any other single line that fills nothing.
void TKddMap::ReadPolygons(const std::string& path, std::vector<TKddPgn>& table) {
  TReader r(path);
  r.NextNeeded();
  TFields& h = r.Split();
  h.Need(10);
  const int32_t count = h.Int(4);
  const double dx = h.Float(8), dy = h.Float(9);
  // Every record takes a line at least.
  table.assign(std::min<size_t>(static_cast<size_t>(std::max(count, 0)), r.LinesLeft()), TKddPgn{});
  for (size_t j = 0; j < table.size(); ++j) {
    if (!r.Next()) {
      table.resize(j);  // records that took several lines left fewer than the count
      break;
    }
    const std::string_view line = r.Line();
    if (line.empty() || line.front() != 'A') continue;
    TFields& f = r.Split();
    f.Need(5);
    // Built aside and stored whole, so that a record broken halfway leaves its slot empty.
    TKddPgn p;
    p.TypeCode = f.Text(0);
    p.Id = f.Text(1);
    const int32_t m = f.Int(2);
    const double X = f.Float(3) + dx;
    const double Y = f.Float(4) + dy;
    p.Label = f.Position([&] { return Convert(X, Y); });
    const size_t arcLines = std::min<size_t>(static_cast<size_t>(std::max(m, 0)), r.LinesLeft());
    p.ArcCount = static_cast<int32_t>(arcLines);
    p.Arcs.reserve(arcLines);
    p.Reversed.reserve(arcLines);
    for (size_t k = 0; k < arcLines; ++k) {
      r.Next();
      const int32_t ref = r.Fields().IntOf(r.Line());
      p.Reversed.push_back(ref < 0);
      const TKddArc* arc = FindArc(Id7(std::abs(static_cast<int64_t>(ref))));
      p.Arcs.push_back(arc ? static_cast<int32_t>(arc - arcs_.data()) : -1);
      if (!arc) continue;
      // Arcs named over and over could make a polygon of more points than can be counted.
      if (p.PointCount > INT32_MAX - arc->PointCount)
        r.Fields().Fail("polygon " + p.TypeCode + "-" + p.Id + " has more points than can be held");
      p.PointCount += arc->PointCount;
    }
    p.Points.reserve(static_cast<size_t>(p.PointCount));
    for (size_t k = 0; k < p.Arcs.size(); ++k) {
      if (p.Arcs[k] < 0) continue;
      const std::vector<TKddPos>& pts = arcs_[static_cast<size_t>(p.Arcs[k])].Points;
      if (p.Reversed[k])
        p.Points.insert(p.Points.end(), pts.rbegin(), pts.rend());
      else
        p.Points.insert(p.Points.end(), pts.begin(), pts.end());
    }
    if (!p.Points.empty()) {
      TKddBox b{p.Points[0].Lon, p.Points[0].Lat, p.Points[0].Lon, p.Points[0].Lat};
      for (const TKddPos& q : p.Points) {
        b.MinLon = std::min(b.MinLon, q.Lon);
        b.MinLat = std::min(b.MinLat, q.Lat);
        b.MaxLon = std::max(b.MaxLon, q.Lon);
        b.MaxLat = std::max(b.MaxLat, q.Lat);
      }
      p.Box = b;
    }
    table[j] = std::move(p);
  }
}

// Attribute lines of polygons and points: line 1 skipped, then each line whole, keyed by its
// field 0, "-" and its field 1, sorted for the lookups.
std::vector<std::pair<std::string, std::string>> TKddMap::ReadKeyedLines(const std::string& path) {
  TReader r(path);
  r.Next();
  TKeyedLines lines;
  while (r.Next()) {
    if (IsBlankLine(r.Line())) continue;
    TFields& f = r.Split();
    lines.emplace_back(f.Text(0) + "-" + f.Text(1), std::string(r.Line()));
  }
  SortByKey(lines);
  return lines;
}

void TKddMap::ReadPolygonAttributes(const std::string& path, std::vector<TKddPgn>& table, int32_t labelField) {
  const TKeyedLines lines = ReadKeyedLines(path);
  for (TKddPgn& p : table) {
    if (p.TypeCode.empty()) continue;
    if (const std::string* line = FindKey(lines, p.TypeCode + "-" + p.Id)) {
      p.Attribute = *line;
      p.LabelText = LabelOf(p.Attribute, labelField);
    }
  }
}

// Header: point count in field 4, offsets in fields 8 and 9; then one point a line. Lines past
// the count are not part of the table.
void TKddMap::ReadPoints(const std::string& path, int32_t typeIndex) {
  TReader r(path);
  r.NextNeeded();
  TFields& h = r.Split();
  h.Need(10);
  const size_t count = static_cast<size_t>(std::max(h.Int(4), 0));
  const double dx = h.Float(8), dy = h.Float(9);
  points_.reserve(points_.size() + std::min(count, r.LinesLeft()));
  size_t kept = 0;
  while (kept < count && r.Next()) {
    if (IsBlankLine(r.Line())) continue;
    TFields& f = r.Split();
    f.Need(4);
    TKddPnt p;
    p.TypeCode = f.Text(0);
    p.Id = f.Text(1);
    const double X = f.Float(2) + dx;
    const double Y = f.Float(3) + dy;
    p.Pos = f.Position([&] { return Convert(X, Y); });
    p.TypeIndex = typeIndex;
    points_.push_back(std::move(p));
    ++kept;
  }
}

void TKddMap::ReadPointAttributes(const std::string& path, size_t first, int32_t labelField) {
  const TKeyedLines lines = ReadKeyedLines(path);
  for (size_t i = first; i < points_.size(); ++i) {
    TKddPnt& p = points_[i];
    if (const std::string* line = FindKey(lines, p.TypeCode + "-" + p.Id)) {
      p.Attribute = *line;
      p.LabelText = LabelOf(p.Attribute, labelField);
    }
  }
}

TLayerDescription TKddMap::Describe() const {
  TLayerDescription d;
  d.Counts = {{"zone", std::to_string(zone_)}, {"arcs", std::to_string(arcs_.size())}};
  for (size_t i = 0; i < polygons_.size(); ++i) {
    size_t n = 0;
    for (const TKddPgn& p : polygons_[i]) n += !p.TypeCode.empty();
    const std::string file = i < types_.Pgn.size() ? types_.Pgn[i].FileName : std::string();
    if (file.empty() && n == 0) continue;
    d.Counts.push_back(
        {"polygons of type " + std::to_string(i), std::to_string(n) + (file.empty() ? "" : " (" + file + ")")});
  }
  d.Counts.push_back({"points", std::to_string(points_.size())});
  d.Extent = extent_;
  d.ExtentDatum = mapDatum_;
  // Without the flag the area names no datum, and its positions are taken as they stand.
  d.Datum = DatumFlag() ? dataDatum_ + " (converted to " + mapDatum_ + ")"
                        : "none flagged (drawn in the map datum without a datum shift)";
  return d;
}

void TKddMap::Draw(TCanvas& canvas, const TViewBox& box) {
  const TRect clip = canvas.ClipRect();
  const TViewMap view(clip, box);
  const double sx = view.Sx;
  const double Z = sx / 3600 + 0.00001;
  auto map = [&](const TKddPos& p) { return view.At(p.Lon, p.Lat); };
  auto mapAll = [&](const std::vector<TKddPos>& points) {
    screen_.resize(points.size());
    std::transform(points.begin(), points.end(), screen_.begin(), map);
    return static_cast<int>(screen_.size());
  };

  // Fills, each polygon's outline right after its fill.
  for (size_t i = 0; i < polygons_.size() && i < types_.Pgn.size(); ++i) {
    const TKddPgnType& type = types_.Pgn[i];
    if (!(Z >= type.FillZoom)) continue;
    const TKddArcType* arcType = i < types_.Arc.size() ? &types_.Arc[i] : nullptr;
    const bool outline = arcType && arcType->Outline > 0 && Z > arcType->OutlineZoom;
    for (const TKddPgn& p : polygons_[i]) {
      if (p.Points.empty()) continue;
      if (!box.Meets({p.Box.MinLon, p.Box.MinLat, p.Box.MaxLon, p.Box.MaxLat})) continue;
      if (type.Fill > 0) {
        const int n = mapAll(p.Points);
        canvas.SetBrushColor(type.FillColor);
        canvas.SetPenStyle(TPenStyle::Clear);
        canvas.Polygon(screen_.data(), n);
      }
      if (!outline) continue;
      canvas.SetPenColor(arcType->OutlineColor);
      canvas.SetPenStyle(TPenStyle::Solid);
      for (const int32_t ref : p.Arcs) {
        if (ref < 0) continue;
        const TKddArc& arc = arcs_[static_cast<size_t>(ref)];
        if (arc.Class == "5") continue;
        const int n = mapAll(arc.Points);
        canvas.Polyline(screen_.data(), n);
      }
    }
  }

  for (size_t i = 0; i < polygons_.size() && i < types_.Pgn.size(); ++i) {
    if (!(Z >= types_.Pgn[i].LabelZoom)) continue;
    for (const TKddPgn& p : polygons_[i]) {
      if (!p.LabelText) continue;
      canvas.SetPenColor(clBlack);
      canvas.SetPenStyle(TPenStyle::Solid);
      canvas.SetBrushColor(clWhite);
      const TPoint at = map(p.Label);
      canvas.TextOut(at.x, at.y, *p.LabelText);
    }
  }

  canvas.SetPenColor(clRed);
  canvas.SetPenWidth(2);
  canvas.SetPenStyle(TPenStyle::Solid);
  canvas.SetBrushColor(clWhite);
  for (const TKddPnt& p : points_) {
    const TPoint at = map(p.Pos);
    canvas.Ellipse(at.x - 3, at.y - 3, at.x + 3, at.y + 3);
    if (!p.LabelText) continue;
    canvas.SetBrushColor(clWhite);
    canvas.TextOut(at.x, at.y, *p.LabelText);
  }

  canvas.SetBrushColor(settings_.BGColor);
  canvas.TextOut(clip.Right - 70, 0, FormatFixed(sx, 2) + " ");
}

}  // namespace orvane
