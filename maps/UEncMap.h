// SPDX-License-Identifier: GPL-3.0-or-later
// The electronic navigational chart layer: one S-57 cell, turned into text by the external
// converter, drawn as coloured areas, coloured lines and point symbols. Which object classes
// are shown, and how, comes from the object class table (Marlisk.ini).
//
// The converter's text holds records from a "RECN" line to a "****" line. Between them, each
// field line carries its tag in characters 2 to 5 and its content from character 7 on; the
// content is cut into fields by SplitCommaText: field 0 a count, field 1 unused, values from
// field 2, named subfields written as NAME=value. Vector records (nodes and edges) are read in
// a first pass, features in a second, so that every edge exists before a feature names it.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Color.h"
#include "maps/EncConverter.h"
#include "maps/MapLayer.h"

namespace orvane {

inline constexpr int kEncClassCount = 504;  // object class codes run 1 to 504

// The object class table's file name.
inline constexpr const char* kEncClassTableFile = "Marlisk.ini";

// One line of the object class table.
struct TEncObjClass {
  std::string Name;
  int32_t Show = 0;      // 0: features of this class are not read
  int32_t Second = 0;    // read and kept, drives nothing
  TColor Color = 0;      // area fill and line pen
  int32_t Symbol = 0;    // point symbol; 0: point features of this class are not read
  int32_t PenWidth = 0;  // pixels, for lines
  bool operator==(const TEncObjClass&) const = default;
};

// Indexed by object class code; entry 0 is never used.
using TEncClassTable = std::array<TEncObjClass, kEncClassCount + 1>;

// A depth band of the day scheme: a depth area whose whole range lies from `From` metres on
// (DRVAL1 at least From, DRVAL2 deeper than From) is filled with its colour, the deepest band
// that fits; a drying area takes the first band.
struct TEncDepthBand {
  double From = 0;
  TColor Color = 0;
  bool operator==(const TEncDepthBand&) const = default;
};

// The colour by depth band of an area with depth range drval1 to drval2 (NaN: not given); none
// without bands or without DRVAL1, so that the area keeps its class colour.
std::optional<TColor> DepthBandColor(const std::vector<TEncDepthBand>& bands, double drval1, double drval2);

// A sounding as a chart prints it: metres with one decimal below 31 m, whole metres from there.
// A depth is cut toward the surface (never shown deeper than measured); a drying height (a
// negative depth) is printed without its minus sign, underlined, and raised (never shown lower
// than measured).
struct TSoundingFigure {
  std::string Text;
  bool Drying = false;  // above the datum: drawn underlined
  bool operator==(const TSoundingFigure&) const = default;
};
TSoundingFigure SoundingFigure(double depth);

inline constexpr double kEncNoValue = std::numeric_limits<double>::quiet_NaN();

// The attributes the chart shows (ATTF lines of the converter's text); NaN and empty when absent.
struct TEncAttributes {
  double Drval1 = kEncNoValue;  // depth range of a depth area, metres
  double Drval2 = kEncNoValue;
  double Valsou = kEncNoValue;  // depth over a wreck or an obstruction
  std::string Objnam;           // the feature's name
};

// Decimal degrees; depth in metres, 0 for two-dimensional coordinates.
struct TEncCoord {
  double Lon = 0;
  double Lat = 0;
  double Depth = 0;
  bool operator==(const TEncCoord&) const = default;
};

// A node or an edge.
struct TEncVector {
  std::vector<std::string> PointerNames;  // VRPT pointers in field order: an edge's start and end node
  std::vector<TEncCoord> Coords;
  bool Soundings = false;  // the coordinates came as SG3D, a cluster of soundings
};

struct TEncSpot {
  int32_t ObjClass = 0;
  double Lon = 0;
  double Lat = 0;
  double Depth = 0;
  TEncAttributes Attributes;
  bool Sounding = false;  // one of a cluster of soundings
};

struct TEncBox {
  double LeastLon = 0;
  double LeastLat = 0;
  double GreatestLon = 0;
  double GreatestLat = 0;
};

struct TEncShape {
  int32_t ObjClass = 0;
  std::vector<TEncCoord> Points;
  // Where a line's next edge does not begin at the point the line has reached, the indices in
  // Points at which a new stretch starts: the gap between stretches is not drawn.
  std::vector<size_t> Breaks;
  TEncBox Box;
  TEncAttributes Attributes;
};

// Vector records in one list per record name code, keyed by record identifier text.
struct TEncKeyedVector {
  std::string Key;
  TEncVector Vector;
};

struct TEncKeyedShape {
  std::string Key;
  TEncShape Shape;
};

// The object class table file: the classes, and the depth bands when it gives them.
struct TEncStyle {
  TEncClassTable Classes{};
  std::vector<TEncDepthBand> Bands;  // by From; empty: the chart is drawn by class colours only
};

// Throws EConvertError naming the file, the line and the cause, with the line quoted (cut short
// when long): the one form of the chart's text files' errors.
[[noreturn]] void EncLineError(const std::string& fileName, int lineNo, const std::string& cause,
                               std::string_view text);

// Reads the object class table: "#" in the first column starts a comment line; every other
// line has seven fields (code, name, show, second, colour, symbol, pen width), all integers but
// the name, or is a depth band "DEPTH, from metres, colour". An empty line, a short line or a
// field that is not a number throws, naming `fileName`, the line number and the text found.
// Lines whose code lies outside 1 to 504 are converted and then ignored; so are bands when
// `bands` is null.
void ReadEncClassTable(std::istream& in, const std::string& fileName, TEncClassTable& table,
                       std::vector<TEncDepthBand>* bands = nullptr);
// The same from a file; a file that cannot be opened throws, naming it.
TEncStyle ReadEncClassTableFile(const std::string& path);

// Where the object class table of an installed or a built program is: beside the program, else
// in share/orvane/ beside its bin/ folder. The first of them when neither holds it.
std::string EncClassTablePath(const std::string& programFolder);

// Among `fields` from number 2 on, the text after "name=" of the k-th field (k from 0) that
// begins with it; the empty text when there is none.
std::string FindSubfield(const std::vector<std::string>& fields, std::string_view name, int k);

// A VRPT or FSPT pointer name: the 5-byte record name in hexadecimal. Characters 3 and 4 hold
// the record name code, characters 5 to 12 the identifier's four bytes, least significant
// first; the first two characters are not read. Throws EConvertError when a digit is missing or
// not hexadecimal.
struct TEncRecordName {
  int32_t Code = 0;
  uint32_t Id = 0;
};
TEncRecordName DecodePointerName(std::string_view name);

// An area's sort key: its bounding box in square arc-seconds, formatted "%16.8f".
std::string EncAreaKey(const TEncBox& box);

class TEncMap : public TMapLayer {
public:
  // Reads the object class table at `classTablePath` (the caller finds Marlisk.ini beside the
  // program); errors in it throw from here. `converter` must outlive the layer.
  TEncMap(TEncConverter& converter, const std::string& classTablePath);
  // With a table already read.
  TEncMap(TEncConverter& converter, const TEncClassTable& classes, std::vector<TEncDepthBand> bands = {})
      : converter_(converter), classes_(classes), bands_(std::move(bands)) {}

  // Re-reads the object class table; on an error the table in use is kept.
  void ReadClassTable(const std::string& path);

  // Empties the layer, has the converter write the chart as text into a private temporary
  // file, reads it and removes it. True when the text was read to its end; errors throw (a
  // converter that cannot start, no output, a field that does not convert) and what was read
  // before the error stays.
  bool Load(const std::string& chartPath) override;

  // The reading half of Load, on text already at hand; `fileName` names it in error messages.
  // Adds to what the layer holds.
  void ReadConverted(std::string_view text, const std::string& fileName);

  void Draw(TCanvas& canvas, const TViewBox& view) override;

  // Counts of vector records, of every feature by primitive and of the drawn ones; the extent of
  // every node and edge; the horizontal datum; the cell's name, edition and update; the scale
  // factors. StyleUse counts the drawn features per object class.
  TLayerDescription Describe() const override;

  // Frees every record; the scale factors stay.
  void Clear();

  const TEncClassTable& Classes() const { return classes_; }
  const std::vector<TEncDepthBand>& Bands() const { return bands_; }
  int32_t Comf() const { return comf_; }
  int32_t Somf() const { return somf_; }
  const std::vector<TEncKeyedVector>& IsolatedNodes() const { return nodes110_; }
  const std::vector<TEncKeyedVector>& ConnectedNodes() const { return nodes120_; }
  const std::vector<TEncKeyedVector>& Edges() const { return edges_; }
  const std::vector<TEncSpot>& Spots() const { return spots_; }
  // Every sounding of every shown sounding cluster (3-D coordinates), drawn as depth figures when
  // the table has depth bands; Spots holds each cluster's first as its symbol.
  const std::vector<TEncSpot>& Soundings() const { return soundings_; }
  const std::vector<TEncShape>& LineShapes() const { return lines_; }
  // Sorted by key, smallest area first.
  const std::vector<TEncKeyedShape>& Areas() const { return areas_; }

private:
  class TReader;

  TEncConverter& converter_;
  TEncClassTable classes_{};
  std::vector<TEncDepthBand> bands_;
  std::vector<TEncKeyedVector> nodes110_, nodes120_, edges_;
  int32_t comf_ = 1, somf_ = 1;
  std::vector<TEncSpot> spots_, soundings_;
  std::vector<TEncShape> lines_;
  std::vector<TEncKeyedShape> areas_;
  std::vector<TPoint> mapped_;  // reused by Draw
  // What the chart says of itself, for Describe.
  struct TCellFacts {
    std::string Name, Edition, Update, Issued, Hdat;
    std::array<int, 4> Features{};  // by primitive: none, points, lines, areas
  } cell_;
};

}  // namespace orvane
