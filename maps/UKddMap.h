// SPDX-License-Identifier: GPL-3.0-or-later
// One area of the Digital Map 2500 (spatial data framework): the arcs, the polygons built from
// them, the points and their attribute lines, read from the text files of an area folder. Every
// coordinate arrives in the plane rectangular system of the area's zone and is kept as longitude
// and latitude in the map datum.
//
// Which files make up an area and how each kind is drawn is not fixed here: the settings file's
// sections [KDDARC], [KDDATR], [KDDPGN] and [KDDPNT] name the files and carry the styles, one
// "NAMEnn=..." line per type, the type number nn in the line's characters 4 and 5.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Color.h"
#include "maps/MapLayer.h"
#include "maps/TCanvas.h"

namespace orvane {

// A line of an area file or a section that lacks a field the reader needs, or an area the
// reader cannot take (a zone that does not exist). Numbers that do not convert raise
// EConvertError; both name the file, the line and the text found.
class EKddFormatError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Decimal degrees of the map datum, longitude first.
struct TKddPos {
  double Lon = 0;
  double Lat = 0;
  bool operator==(const TKddPos&) const = default;
};

struct TKddBox {
  double MinLon = 0, MinLat = 0, MaxLon = 0, MaxLat = 0;
  bool operator==(const TKddBox&) const = default;
};

// The four type tables, one entry per section line (entries no line fills stay empty). Field
// numbers count the section value from its "=", which is field 0.
struct TKddArcType {
  std::string FileName;     // 1
  double OutlineZoom = 0;   // 2: outlines need the zoom figure above this
  int32_t Outline = 0;      // 3: above 0 draws outlines
  TColor OutlineColor = 0;  // 4
};

struct TKddAtrType {
  std::string FileName;  // 1
  double Number = 0;     // 2, held only
  int32_t FontSize = 0;  // 4, held only
  TColor FontColor = 0;  // 7, held only
  int32_t Field = 0;     // 8, held only
};

struct TKddPgnType {
  std::string FileName;     // 1
  double FillZoom = 0;      // 2: fills (and outlines) need the zoom figure at least this
  int32_t Fill = 0;         // 3: above 0 fills
  TColor FillColor = 0;     // 4
  int32_t Field5 = 0;       // 5, held only
  int32_t LabelField = 0;   // 11: attribute field shown as the label
  double LabelZoom = 0;     // 12: labels need the zoom figure at least this
  std::string AtrFileName;  // 13
};

struct TKddPntType {
  std::string FileName;     // 1
  double Number = 0;        // 2, held only
  int32_t FontSize = 0;     // 4, held only
  TColor FontColor = 0;     // 7, held only
  int32_t LabelField = 0;   // 8: attribute field shown as the label
  std::string AtrFileName;  // 9
};

struct TKddTypeTables {
  std::vector<TKddArcType> Arc;
  std::vector<TKddAtrType> Atr;
  std::vector<TKddPgnType> Pgn;
  std::vector<TKddPntType> Pnt;
};

// The tables of the four sections' "name=value" lines. A line without "=" fills nothing, a type
// number outside the table is ignored; a type number or field that does not convert, or a value
// with fewer fields than its table reads, throws naming the section and its line.
TKddTypeTables ReadKddTypeTables(const std::vector<std::string>& arcList, const std::vector<std::string>& atrList,
                                 const std::vector<std::string>& pgnList, const std::vector<std::string>& pntList);

struct TKddArc {
  std::string KindCode;  // characters 1 to 3 of the opening line's field 0
  std::string SubCode;   // its characters 4 and 5
  std::string Class;     // class "5" is never outlined
  std::string Id;        // at least 7 digits, zeros in front
  int32_t PointCount = 0;
  std::vector<TKddPos> Points;
};

struct TKddPgn {
  std::string TypeCode;  // empty for a record slot that held no polygon
  std::string Id;
  int32_t ArcCount = 0;
  // Index into the sorted arc list, or -1 for an arc the area lacks.
  std::vector<int32_t> Arcs;
  std::vector<bool> Reversed;
  TKddPos Label;
  TKddBox Box;  // meaningful only when Points is not empty
  int32_t PointCount = 0;
  std::vector<TKddPos> Points;           // every arc's points in order, for fills
  std::string Attribute;                 // whole attribute line, empty when none
  std::optional<std::string> LabelText;  // the label field, decoded for display
};

struct TKddPnt {
  std::string TypeCode;
  std::string Id;
  TKddPos Pos;
  std::string Attribute;
  std::optional<std::string> LabelText;
  int32_t TypeIndex = 0;  // the [KDDPNT] entry whose file held the point
};

// What the layer takes from the settings. Held by reference: the settings live as long as the
// program, the sections and MapDatum are read at every Load and BGColor at every Draw.
struct TKddSettings {
  const std::vector<std::string>& ArcList;  // [KDDARC]
  const std::vector<std::string>& AtrList;  // [KDDATR]
  const std::vector<std::string>& PgnList;  // [KDDPGN]
  const std::vector<std::string>& PntList;  // [KDDPNT]
  const std::string& MapDatum;
  const TColor& BGColor;  // background of the scale figure
};

class TKddMap : public TMapLayer {
public:
  explicit TKddMap(const TKddSettings& settings) : settings_(settings) {}

  // The metadata file of an area folder: the folder, "/", its last component and ".txt". A
  // folder that ends in "/" has no last component and so no metadata file.
  static std::optional<std::string> MetadataFileName(const std::string& folder);
  // Where a file named in a section lies: the folder text followed by the name as it stands, or,
  // for a name written with a leading backslash, after a "/".
  static std::string AreaFileName(const std::string& folder, const std::string& name);

  // False, keeping what was held, when the folder has no metadata file. Otherwise replaces the
  // whole content with the area and answers true. Errors in the files throw (EConvertError,
  // EKddFormatError, or a read failure), ending the load with what was read so far.
  bool Load(const std::string& folder) override;
  // A folder that gives nothing is said to be no area, naming the metadata file it lacks.
  TLayerLoad LoadInSet(const std::string& folder) override;
  void Draw(TCanvas& canvas, const TViewBox& view) override;
  TLayerDescription Describe() const override;

  uint16_t Zone() const { return zone_; }
  // "WGS 84" when the metadata flags the data so, else empty.
  const std::string& DataDatum() const { return dataDatum_; }
  bool DatumFlag() const { return !dataDatum_.empty(); }
  const TKddTypeTables& Types() const { return types_; }
  // Sorted by id; duplicates kept.
  const std::vector<TKddArc>& Arcs() const { return arcs_; }
  // (7-digit arc id, whole line), sorted by id.
  const std::vector<std::pair<std::string, std::string>>& ArcAttributes() const { return arcAttributes_; }
  // One table per [KDDPGN] entry.
  const std::vector<std::vector<TKddPgn>>& Polygons() const { return polygons_; }
  const std::vector<TKddPnt>& Points() const { return points_; }
  int32_t PointCount() const { return static_cast<int32_t>(points_.size()); }
  // Over every position read (arc vertices, label positions, points); empty for an empty area.
  const std::optional<TViewBox>& Extent() const { return extent_; }

  // The arc with this 7-digit id, one of them when there are several.
  const TKddArc* FindArc(std::string_view id) const;

private:
  class TReader;
  void Clear();
  TKddPos Convert(double X, double Y);
  void ReadArcs(const std::string& path);
  void ReadArcAttributes(const std::string& path);
  void ReadPolygons(const std::string& path, std::vector<TKddPgn>& table);
  void ReadPolygonAttributes(const std::string& path, std::vector<TKddPgn>& table, int32_t labelField);
  void ReadPoints(const std::string& path, int32_t typeIndex);
  void ReadPointAttributes(const std::string& path, size_t first, int32_t labelField);
  static std::vector<std::pair<std::string, std::string>> ReadKeyedLines(const std::string& path);
  void SortLists();

  TKddSettings settings_;
  uint16_t zone_ = 0;
  std::string dataDatum_;
  std::string mapDatum_;  // as it was when the load began
  TKddTypeTables types_;
  std::vector<TKddArc> arcs_;
  std::vector<std::pair<std::string, std::string>> arcAttributes_;
  std::vector<std::vector<TKddPgn>> polygons_;
  std::vector<TKddPnt> points_;
  std::optional<TViewBox> extent_;
  std::vector<TPoint> screen_;  // drawing buffer, kept between draws
};

}  // namespace orvane
