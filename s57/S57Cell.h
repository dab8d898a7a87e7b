// SPDX-License-Identifier: GPL-3.0-or-later
// An S-57 cell as the chart layer needs it: the data set parameters, the vector records (nodes,
// edges, faces) with their coordinates and pointers, and the feature records with their spatial
// pointers, all subfield values exactly as the cell stores them, after the cell's update files
// (.001, .002, ...) have been applied in order. Written out as the record text that the chart
// layer reads. No Qt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "s57/Iso8211.h"

namespace orvane {

// The subfield labels of one field kind; shared by every field of that kind in a file.
struct TS57Layout {
  std::vector<std::string> Labels;
  size_t RepeatFrom = SIZE_MAX;  // as in TDdfFieldDefn
  size_t Head() const { return RepeatFrom == SIZE_MAX ? Labels.size() : RepeatFrom; }
  size_t Width() const { return Labels.size() - Head(); }  // subfields per repetition
};

struct TS57Field {
  std::string Tag;
  std::shared_ptr<const TS57Layout> Layout;
  std::vector<TSubValue> Values;  // the head once, then the repeating group `Repeats` times
  size_t Repeats = 1;
  const TSubValue* Find(std::string_view label) const;  // a head subfield; null if absent
};

struct TS57Record {
  int Rcnm = 0;  // record name: 10 DSID, 20 DSPM, 100 feature, 110 ... 140 vector
  uint32_t Rcid = 0;
  int64_t Rver = 0;
  bool Deleted = false;
  std::vector<TS57Field> Fields;
  TS57Field* Find(std::string_view tag);
  const TS57Field* Find(std::string_view tag) const;
  uint64_t Key() const { return static_cast<uint64_t>(Rcnm) << 32 | Rcid; }
};

class TS57Cell {
public:
  // Reads the cell at `path` and, when its name ends in ".000", the update files beside it from
  // the one after the cell's update number on, until one is missing. Raises EIso8211Error
  // naming the file and the cause for a file that cannot be read or an update that cannot be
  // applied.
  static TS57Cell Read(const std::string& path);

  // The same from bytes in memory; `name` is used in messages. Updates are given in order; one
  // that is refused may have changed the cell in part, so the cell is then to be dropped.
  static TS57Cell FromBytes(const std::string& name, const std::vector<uint8_t>& base);
  void ApplyUpdate(const std::string& name, const std::vector<uint8_t>& update);

  // The record text: every record with DSID, DSPM, VRID or FRID, in the cell's order with
  // inserted records after the others and deleted ones left out.
  void WriteText(std::string& out) const;

  // Writes the record text to a temporary file beside `path` and renames it to `path` when
  // complete. Raises std::runtime_error naming the file and the cause.
  void Save(const std::string& path) const;

  int UpdatesApplied() const { return UpdatesApplied_; }
  // What was read although the producer got it wrong, one line per file, naming it: record
  // counts of the data set structure that the file does not match.
  const std::vector<std::string>& Warnings() const { return Warnings_; }
  size_t RecordCount() const;  // records that WriteText writes

private:
  void Load(TIso8211File& file, bool update);
  void ApplyRecord(TIso8211File& file, size_t offset, TS57Record& upd, int64_t ruin);
  void CompareCounts(const TIso8211File& file, const std::vector<std::pair<const char*, int64_t>>& announced,
                     const int64_t (&held)[5]);

  std::vector<TS57Record> Records_;
  std::unordered_map<uint64_t, size_t> Index_;  // vector and feature records by Key()
  std::string Edition_;
  int64_t UpdateNumber_ = 0;
  int UpdatesApplied_ = 0;
  std::vector<std::string> Warnings_;
};

// Path of update file `n` of the base cell `path` ("X.000" -> "X.003"); empty when the base cell's
// name does not end in ".000".
std::string UpdatePath(const std::string& path, int n);

}  // namespace orvane
