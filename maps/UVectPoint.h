// SPDX-License-Identifier: GPL-3.0-or-later
// The point files of the national land numerical information (place names, P02) in their
// fixed-column text form: one label per point, in tenths of an arc-second, shown once the view
// is zoomed in far enough for the point's class ([METADEF] entries of the file's prefix).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/MapLayer.h"
#include "maps/MetaStyle.h"

namespace orvane {

struct TPointRec {
  int32_t X = 0;     // longitude, tenths of an arc-second
  int32_t Y = 0;     // latitude
  std::string Name;  // UTF-8, decoded from the file's Shift_JIS once at load
  uint16_t ClassCode = 0;
};

class TVectPoint : public TMapLayer {
public:
  // `metaDef` is the [METADEF] section, read at every Load.
  explicit TVectPoint(const std::vector<std::string>& metaDef) : metaDef_(metaDef) {}

  // Never false: a file that cannot be read or a field that does not convert throws, and the
  // layer keeps the points read up to there.
  bool Load(const std::string& path) override;
  // Writes each label in the canvas's current font, colour and brush, which it leaves alone.
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  TLayerDescription Describe() const override;

  // The label of a 60-byte name field: the part before the first full-width blank, trimmed.
  static std::string NameOf(std::string_view field);

  const std::string& FileName() const { return fileName_; }
  const std::vector<TPointRec>& Points() const { return points_; }
  const std::vector<TMetaStyle>& Styles() const { return styles_; }
  // "P" records counted by the first pass; the parsed ones are Points().size().
  int32_t PointCount() const { return pointCount_; }

private:
  const std::vector<std::string>& metaDef_;
  std::string fileName_;
  std::vector<TPointRec> points_;
  std::vector<TMetaStyle> styles_;
  int32_t pointCount_ = 0;
};

// A national-land point file by its first bytes: more point records than line records.
bool LooksLikePointFile(std::string_view head);

}  // namespace orvane
