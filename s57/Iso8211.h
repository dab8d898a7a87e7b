// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of ISO/IEC 8211 files as S-57 writes them: the descriptive record that defines each
// field's subfields and formats, then data records of leader, directory and field area. Every
// length and offset is checked against the bytes that exist; anything that does not fit raises
// EIso8211Error naming the file, the byte offset and the cause. No Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class EIso8211Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One subfield format of a field's format controls, after repeat counts are expanded.
struct TDdfFormat {
  enum class TKind : uint8_t { Text, Int, Real, Bits, Binary };
  TKind Kind = TKind::Text;
  // Fixed width in bytes; 0: variable, ended by the unit terminator or the field terminator.
  size_t Width = 0;
  // For Binary: 1 unsigned, 2 signed integer, 4 floating point (b11, b24, b48 ...).
  int BinType = 0;
};

struct TDdfFieldDefn {
  std::string Tag;
  std::string Name;
  std::vector<std::string> Labels;  // subfield labels in order
  std::vector<TDdfFormat> Formats;  // one per label
  size_t RepeatFrom = SIZE_MAX;     // the first label of the repeating group; SIZE_MAX: none
  std::string FormatError;          // why the formats could not be used; empty when they can
  bool Repeats() const { return RepeatFrom != SIZE_MAX; }
};

// One decoded subfield value. Binary and I integers are Int; R and floating point are Real with
// their text; A is Text; B(n) bit strings are Bits with their raw bytes in Text.
struct TSubValue {
  enum class TKind : uint8_t { Empty, Int, Real, Text, Bits };
  TKind Kind = TKind::Empty;
  int64_t Int = 0;
  std::string Text;
};

struct TDdfField {
  std::string Tag;
  const TDdfFieldDefn* Defn = nullptr;  // null for a tag the descriptive record does not define
  const uint8_t* Data = nullptr;        // the field's bytes without its field terminator
  size_t Size = 0;
  size_t Offset = 0;  // of the field's first byte in the file
};

struct TDdfRecord {
  size_t Offset = 0;  // of the record's leader in the file
  std::vector<TDdfField> Fields;
};

class TIso8211File {
public:
  // `name` is used in messages only; the bytes must outlive the reader and the records it gives.
  TIso8211File(std::string name, const std::vector<uint8_t>& bytes);

  // The next data record into `rec`; false at the end of the file.
  bool Next(TDdfRecord& rec);

  const TDdfFieldDefn* Defn(std::string_view tag) const;
  const std::string& Name() const { return Name_; }
  size_t Size() const { return Bytes_.size(); }

  // The values of `field` in label order; for a repeating field the group's labels cycle, and
  // `repeats` tells how many times the group came.
  void Decode(const TDdfField& field, std::vector<TSubValue>& values, size_t& repeats) const;

  [[noreturn]] void Fail(size_t offset, const std::string& cause) const;

private:
  struct TLeader {
    size_t Length, Base, SizeLen, SizePos, SizeTag;
    char Id;
    size_t FieldControlLength;
  };
  TLeader ReadLeader(size_t at, bool descriptive) const;
  void ReadDirectory(size_t at, const TLeader& l, std::vector<TDdfField>& fields) const;
  void ReadDescriptiveRecord();

  std::string Name_;
  const std::vector<uint8_t>& Bytes_;
  size_t Pos_ = 0;
  std::map<std::string, TDdfFieldDefn, std::less<>> Defns_;
};

// Parses format controls such as "(b11,b14,2b11,3A,2A(8),R(4))" or "(B(40),3b11)" into one format
// per subfield; a parenthesised group may carry a repeat count. Empty result and `error` set when
// the text is no format list.
std::vector<TDdfFormat> ParseFormatControls(std::string_view text, std::string& error);

}  // namespace orvane
