// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/UVectLine.h"

#include <algorithm>
#include <cstdio>

#include "common/HostConv.h"
#include "common/ShiftJis.h"
#include "maps/MapFile.h"
#include "maps/ViewMap.h"

namespace orvane {
namespace {

// Tenths of an arc-second per degree.
constexpr double kUnitsPerDegree = 36000;

// Vertices per coordinate line, and the bytes each takes there.
constexpr int kPointsPerLine = 5;
constexpr size_t kPointWidth = 16;

// 台 in code page 932.
constexpr const char* kAttributeSuffix = "\x91\xe4.TXT";

int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::optional<std::string> TVectLine::AttributeFileName(const std::string& dataPath) {
  const size_t slash = dataPath.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const std::optional<std::string> sjis = Utf8ToSjis(std::string_view(dataPath).substr(nameAt));
  if (!sjis || sjis->size() < 6) return std::nullopt;
  std::string stem = sjis->substr(0, sjis->size() - 6);
  size_t i = 0;
  while (i < stem.size()) i += IsSjisLeadByte(static_cast<unsigned char>(stem[i])) ? 2 : 1;
  if (i != stem.size()) return std::nullopt;  // the cut fell inside a two-byte character
  return dataPath.substr(0, nameAt) + SjisToUtf8(stem + kAttributeSuffix);
}

bool TVectLine::Load(const std::string& path) {
  const std::string data = ReadMapFile(path);
  ReadData(path, data);
  fileName_ = path;
  ReadAttributes(path);
  JoinAttributes();
  styles_ = BuildMetaStyles(metaDef_, MetaPrefix(path));
  return true;
}

void TVectLine::ReadData(const std::string& path, const std::string& data) {
  lines_.clear();
  points_.clear();
  lineCount_ = 0;

  TLineReader in(data);
  std::string_view line;
  in.Next(line);
  const std::string_view header = Columns(line, 4, 13);
  if (!header.starts_with("NLA") && !header.starts_with("GSI") && message_) message_("File format illegal:" + path);
  if (!in.Next(line)) line = {};
  FieldToInt(Columns(line, 9, 16), {path, 2});
  FieldToInt(Columns(line, 17, 24), {path, 2});

  // The first pass only sizes the arrays; the point counts it sums are capped by what the bytes
  // left could hold, so a record that claims a million points costs nothing until they come.
  int64_t points = 0;
  TLineReader first = in;
  while (first.Next(line)) {
    if (line.empty() || line[0] != 'L') continue;
    ++lineCount_;
    int32_t n = 0;
    if (TryStrToInt(Columns(line, 46, 51), n) && n > 0) points += n;
  }
  lines_.reserve(static_cast<size_t>(lineCount_));
  points_.reserve(std::min(static_cast<size_t>(points), in.Remaining() / kPointWidth));

  while (in.Next(line)) {
    // Node records and anything else between the line records are passed over.
    if (line.empty() || line[0] != 'L') continue;
    const TFilePlace at{path, in.LineNo()};
    TLineRec rec;
    FieldToInt(Columns(line, 28, 33), at);  // the line number: checked, not used
    if (const std::string_view flag = TrimControls(Columns(line, 34, 35)); !flag.empty())
      rec.AttrFlag = static_cast<uint8_t>(FieldToInt(flag, at));
    if (const std::string_view key = TrimControls(Columns(line, 36, 45)); !key.empty())
      rec.AttrKey = FieldToInt(key, at);
    const std::string_view countText = Columns(line, 46, 51);
    const int32_t n = FieldToInt(countText, at);
    if (n < 0) ThrowAt(at, QuoteFound(countText) + " is not a valid point count");
    rec.First = static_cast<int32_t>(points_.size());
    try {
      for (int32_t got = 0; got < n;) {
        // Coordinate lines belong to their record whatever they begin with.
        if (!in.Next(line))
          ThrowAt(at, "the file ends after " + std::to_string(got) + " of the line's " + std::to_string(n) + " points");
        const TFilePlace pointsAt{path, in.LineNo()};
        const int take = std::min(kPointsPerLine, n - got);
        for (int j = 0; j < take; ++j) {
          const size_t col = kPointWidth * static_cast<size_t>(j);
          const TVectXY p{FieldToInt(Columns(line, col + 1, col + 8), pointsAt),
                          FieldToInt(Columns(line, col + 9, col + 16), pointsAt)};
          if (points_.size() == static_cast<size_t>(rec.First)) {
            rec.MinX = rec.MaxX = p.X;
            rec.MinY = rec.MaxY = p.Y;
          } else {
            rec.MinX = std::min(rec.MinX, p.X);
            rec.MaxX = std::max(rec.MaxX, p.X);
            rec.MinY = std::min(rec.MinY, p.Y);
            rec.MaxY = std::max(rec.MaxY, p.Y);
          }
          points_.push_back(p);
        }
        got += take;
      }
    } catch (...) {
      points_.resize(static_cast<size_t>(rec.First));  // no vertices of an unfinished line
      throw;
    }
    rec.Count = n;
    lines_.push_back(rec);
  }
}

void TVectLine::ReadAttributes(const std::string& path) {
  attributes_.clear();
  attributesLoaded_ = false;
  const std::optional<std::string> name = AttributeFileName(path);
  if (!name || !MapFileExists(*name)) return;
  const std::string data = ReadMapFile(*name);
  std::vector<std::pair<std::string, TLineAttr>> list;
  TLineReader in(data);
  std::string_view line;
  in.Next(line);
  in.Next(line);
  while (in.Next(line)) {
    // A blank line (the one an editor leaves at the end) is no record.
    if (TrimControls(line).empty()) continue;
    const TFilePlace at{*name, in.LineNo()};
    TLineAttr attr;
    attr.ClassCode = static_cast<int16_t>(FieldToInt(Columns(line, 17, 18), at));
    attr.Text1 = TrimControls(Columns(line, 19, 42));
    attr.Text2 = TrimControls(Columns(line, 43, 64));
    attr.Text3 = TrimControls(Columns(line, 65, 80));
    list.emplace_back(std::string(TrimControls(Columns(line, 4, 13))), std::move(attr));
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return CompareNoCase(a.first, b.first) < 0; });
  attributes_ = std::move(list);
  attributesLoaded_ = true;
}

void TVectLine::JoinAttributes() {
  if (!attributesLoaded_) return;
  char key[16];
  for (TLineRec& rec : lines_) {
    if (rec.AttrFlag != 1) continue;
    const int len = std::snprintf(key, sizeof key, "%.5d", rec.AttrKey);
    const std::string_view k(key, static_cast<size_t>(len));
    const auto it = std::lower_bound(attributes_.begin(), attributes_.end(), k,
                                     [](const auto& a, std::string_view b) { return CompareNoCase(a.first, b) < 0; });
    if (it != attributes_.end() && CompareNoCase(it->first, k) == 0)
      rec.Style = static_cast<uint16_t>(it->second.ClassCode);
  }
}

TLayerDescription TVectLine::Describe() const {
  TLayerDescription d;
  size_t vertices = 0;
  for (const TLineRec& l : lines_) {
    vertices += static_cast<size_t>(l.Count);
    ++d.StyleUse[l.Style];
    if (l.Count == 0) continue;
    WidenExtent(d.Extent, l.MinX / kUnitsPerDegree, l.MinY / kUnitsPerDegree);
    WidenExtent(d.Extent, l.MaxX / kUnitsPerDegree, l.MaxY / kUnitsPerDegree);
  }
  d.Counts = {{"lines", std::to_string(lines_.size())}, {"vertices", std::to_string(vertices)}};
  d.Datum = kDrawnAsRead;
  const std::optional<std::string> attr = AttributeFileName(fileName_);
  d.Details = {{"attributes",
                attributesLoaded_ && attr ? *attr + ", " + std::to_string(attributes_.size()) + " records" : "none"}};
  return d;
}

void TVectLine::Draw(TCanvas& canvas, const TViewBox& box) {
  const TViewBox units = box.Scaled(kUnitsPerDegree);
  const double w = units.West, s = units.South, e = units.East, n = units.North;
  const TViewMap view(canvas.ClipRect(), units);
  int penStyle = -1;  // the style the pen holds; set again only when it changes
  for (const TLineRec& rec : lines_) {
    // One vertex moves the pen and draws nothing; none has no extent.
    if (rec.Count < 2) continue;
    if (rec.MaxX < w || rec.MinX > e || rec.MaxY < s || rec.MinY > n) continue;
    const TMetaStyle* style = StyleAt(styles_, rec.Style);
    if (!style || !(view.Sx >= style->MinScale)) continue;
    if (rec.Style != penStyle) {
      canvas.SetPenColor(style->Color);
      canvas.SetPenStyle(TPenStyle::Solid);
      canvas.SetPenWidth(style->PenWidth);
      penStyle = rec.Style;
    }
    pixels_.resize(static_cast<size_t>(rec.Count));
    const TVectXY* p = points_.data() + rec.First;
    for (int32_t i = 0; i < rec.Count; ++i) pixels_[static_cast<size_t>(i)] = view.At(p[i].X, p[i].Y);
    canvas.Polyline(pixels_.data(), rec.Count);
  }
}

bool LooksLikeLineFile(std::string_view head) {
  const TNationalLandRecords r = CountNationalLandRecords(head);
  return r.Header || (r.Lines > 0 && r.Lines >= r.Points);
}

}  // namespace orvane
