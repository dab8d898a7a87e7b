// SPDX-License-Identifier: GPL-3.0-or-later
// The line files of the national land numerical information (roads N01, administrative borders
// N03, coastlines C23) in their fixed-column text form: polylines in tenths of an arc-second,
// classed through an optional attribute file and drawn in the [METADEF] styles of the file's
// prefix. Coordinates are drawn as read, whatever the map datum.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "maps/MapLayer.h"
#include "maps/MetaStyle.h"

namespace orvane {

// One vertex: X longitude, Y latitude, tenths of an arc-second.
struct TVectXY {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TVectXY&) const = default;
};

// One "L" record. Its vertices are Count entries of the layer's vertex array from First on.
struct TLineRec {
  int32_t First = 0;
  int32_t Count = 0;
  // Extent of the vertices; empty (least above greatest) for a line without any.
  int32_t MinX = 1, MinY = 1, MaxX = 0, MaxY = 0;
  int32_t AttrKey = 0;
  uint8_t AttrFlag = 0;
  uint16_t Style = 0;
};

// One attribute record; only the class code is used, as the line's style index.
struct TLineAttr {
  int16_t ClassCode = 0;
  std::string Text1, Text2, Text3;  // Shift_JIS, as in the file
};

class TVectLine : public TMapLayer {
public:
  // `metaDef` is the [METADEF] section, read at every Load; `message` shows a notice to the
  // user and returns (the header check's "File format illegal:").
  TVectLine(const std::vector<std::string>& metaDef, std::function<void(const std::string&)> message)
      : metaDef_(metaDef), message_(std::move(message)) {}

  // Never false: a file that cannot be read or a field that does not convert throws, and the
  // layer keeps the lines read up to there.
  bool Load(const std::string& path) override;
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  TLayerDescription Describe() const override;

  // The attribute file beside a data file: its name's Shift_JIS form without the last six bytes,
  // then "台.TXT" (N0113線.TXT has N0113台.TXT). Nothing when the name has no Shift_JIS form or
  // the cut would split a character or reach into the folder.
  static std::optional<std::string> AttributeFileName(const std::string& dataPath);

  const std::string& FileName() const { return fileName_; }
  const std::vector<TLineRec>& Lines() const { return lines_; }
  std::span<const TVectXY> Points(const TLineRec& line) const {
    return std::span<const TVectXY>(points_).subspan(static_cast<size_t>(line.First), static_cast<size_t>(line.Count));
  }
  const std::vector<TMetaStyle>& Styles() const { return styles_; }
  // "L" records counted by the first pass; the parsed ones are Lines().size().
  int32_t LineCount() const { return lineCount_; }
  bool AttributesLoaded() const { return attributesLoaded_; }
  // Sorted by key, letter case ignored; among equal keys the file's order.
  const std::vector<std::pair<std::string, TLineAttr>>& Attributes() const { return attributes_; }

private:
  void ReadData(const std::string& path, const std::string& data);
  void ReadAttributes(const std::string& path);
  void JoinAttributes();

  const std::vector<std::string>& metaDef_;
  std::function<void(const std::string&)> message_;
  std::string fileName_;
  std::vector<TLineRec> lines_;
  std::vector<TVectXY> points_;
  std::vector<TMetaStyle> styles_;
  int32_t lineCount_ = 0;
  bool attributesLoaded_ = false;
  std::vector<std::pair<std::string, TLineAttr>> attributes_;
  std::vector<TPoint> pixels_;  // Draw's buffer, kept to spare an allocation per line
};

// A national-land line file by its first bytes: the header, or line records at least as many as
// point records.
bool LooksLikeLineFile(std::string_view head);

}  // namespace orvane
