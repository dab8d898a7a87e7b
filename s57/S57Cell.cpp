// SPDX-License-Identifier: GPL-3.0-or-later
#include "s57/S57Cell.h"

#include "common/ReplaceFile.h"
#include "common/TextHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace orvane {
namespace {

// The fields the chart text carries, and the update controls that change three of them.
bool Kept(std::string_view tag) {
  static constexpr std::string_view kTags[] = {"DSID", "DSSI", "DSPM", "VRID", "VRPT", "SG2D", "SG3D",
                                               "FRID", "FOID", "ATTF", "FSPT", "SGCC", "VRPC", "FSPC"};
  for (std::string_view t : kTags)
    if (t == tag) return true;
  return false;
}

bool IsControl(std::string_view tag) { return tag == "SGCC" || tag == "VRPC" || tag == "FSPC"; }
bool IsNaming(std::string_view tag) { return tag == "DSID" || tag == "DSPM" || tag == "VRID" || tag == "FRID"; }
bool IsCoordinates(std::string_view tag) { return tag == "SG2D" || tag == "SG3D"; }

// Whether data field `tag` is the one that control field `ctrl` updates.
bool Controls(std::string_view ctrl, std::string_view tag) {
  if (ctrl == "SGCC") return IsCoordinates(tag);
  if (ctrl == "VRPC") return tag == "VRPT";
  return ctrl == "FSPC" && tag == "FSPT";
}

std::string RecordName(const TS57Record& r) {
  return "record (RCNM " + std::to_string(r.Rcnm) + ", RCID " + std::to_string(r.Rcid) + ")";
}

// An integer subfield given as binary or as text (DSID's UPDN is text).
bool IntOf(const TSubValue* v, int64_t& out) {
  if (!v) return false;
  if (v->Kind == TSubValue::TKind::Int) {
    out = v->Int;
    return true;
  }
  std::string_view t = v->Text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

// Every integer the converter acts on is unsigned and at most four bytes in S-57; the range also
// keeps the index arithmetic of the updates far from overflow.
int64_t NeedInt(const TIso8211File& file, size_t offset, const TS57Field& f, std::string_view label) {
  int64_t v = 0;
  if (!IntOf(f.Find(label), v)) file.Fail(offset, "field " + f.Tag + " has no integer " + std::string(label));
  if (v < 0 || v > int64_t{0xffffffff})
    file.Fail(offset, "field " + f.Tag + ": " + std::string(label) + " " + std::to_string(v) + " is out of range");
  return v;
}

// What the chart layer relies on in a field's layout: labels that are plain names, the coordinate
// fields as integers of their fixed subfields, and record names of five bytes.
void CheckLayout(const TIso8211File& file, size_t offset, const TDdfFieldDefn& d) {
  for (const std::string& label : d.Labels)
    for (unsigned char c : label)
      if (c <= ' ' || c >= 0x7f || c == ',' || c == '"' || c == '=')
        file.Fail(offset, "field " + d.Tag + " has a subfield label that is no plain name");
  auto integer = [](const TDdfFormat& f) {
    return f.Kind == TDdfFormat::TKind::Int || (f.Kind == TDdfFormat::TKind::Binary && f.BinType != 4);
  };
  if (IsCoordinates(d.Tag)) {
    const std::vector<std::string> want =
        d.Tag == "SG2D" ? std::vector<std::string>{"YCOO", "XCOO"} : std::vector<std::string>{"YCOO", "XCOO", "VE3D"};
    bool ok = d.RepeatFrom == 0 && d.Labels == want;
    for (const TDdfFormat& f : d.Formats) ok &= integer(f);
    if (!ok)
      file.Fail(offset, "field " + d.Tag + " is not a repeating group of integer " +
                            (d.Tag == "SG2D" ? "YCOO, XCOO" : "YCOO, XCOO, VE3D"));
  }
  if (d.Tag == "VRPT" || d.Tag == "FSPT") {
    bool ok = d.RepeatFrom == 0;
    for (size_t i = 0; i < d.Labels.size(); ++i) {
      const TDdfFormat& f = d.Formats[i];
      if (d.Labels[i] == "NAME")
        ok &= f.Kind == TDdfFormat::TKind::Bits && f.Width == 5;
      else if (d.Labels[i] == "ORNT" || d.Labels[i] == "USAG")
        ok &= integer(f);
    }
    if (!ok)
      file.Fail(offset, "field " + d.Tag + " is not a repeating group of five-byte NAME and integer ORNT and USAG");
  }
}

// Attributes are what the chart shows beside the geometry (depths, names); a cell whose ATTF is
// laid out otherwise is still drawn, without them.
bool AttributesFit(const TDdfFieldDefn* d) {
  if (!d || !d->FormatError.empty() || d->RepeatFrom != 0 || d->Labels != std::vector<std::string>{"ATTL", "ATVL"})
    return false;
  const TDdfFormat& code = d->Formats[0];
  return (code.Kind == TDdfFormat::TKind::Int || (code.Kind == TDdfFormat::TKind::Binary && code.BinType != 4)) &&
         d->Formats[1].Kind == TDdfFormat::TKind::Text;
}

// ATTF texts are ISO 8859-1 at most; the record text is UTF-8.
void Latin1ToUtf8(std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return;
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xc0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  text = std::move(out);
}

// An update's ATTF changes the attributes it names: a value of the single character DEL (0x7f)
// removes the attribute, any other value replaces it or adds it.
void MergeAttributes(TS57Field& target, const TS57Field& update) {
  for (size_t i = 0; i + 1 < update.Values.size(); i += 2) {
    const TSubValue& code = update.Values[i];
    const TSubValue& value = update.Values[i + 1];
    const bool remove = value.Kind == TSubValue::TKind::Text && value.Text == "\x7f";
    size_t at = 0;
    while (at + 1 < target.Values.size() && target.Values[at].Int != code.Int) at += 2;
    const bool found = at + 1 < target.Values.size();
    if (remove && found) {
      target.Values.erase(target.Values.begin() + static_cast<long>(at),
                          target.Values.begin() + static_cast<long>(at) + 2);
      --target.Repeats;
    } else if (found) {
      target.Values[at + 1] = value;
    } else if (!remove) {
      target.Values.push_back(code);
      target.Values.push_back(value);
      ++target.Repeats;
    }
  }
}

std::string TextOf(const TSubValue* v) {
  if (!v) return {};
  if (v->Kind == TSubValue::TKind::Int) return std::to_string(v->Int);
  return v->Text;
}

void AppendValue(std::string& out, std::string_view label, const TSubValue& v) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  switch (v.Kind) {
    case TSubValue::TKind::Int:
      out += label;
      out += '=';
      AppendInt(out, v.Int);
      return;
    case TSubValue::TKind::Bits:
      // A record name reads "0x" then its five bytes as stored: the name code, then the
      // identifier least significant byte first.
      out += label;
      out += "=0x";
      for (unsigned char c : v.Text) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
      return;
    default:
      break;
  }
  bool quote = false;
  for (unsigned char c : v.Text) quote |= c <= ' ' || c == ',' || c == '"';
  if (quote) out += '"';
  out += label;
  out += '=';
  for (unsigned char c : v.Text) {
    // A line break inside a text would end the record line.
    if (c < ' ' || c == 0x7f)
      out += ' ';
    else if (c == '"')
      out += "\"\"";
    else
      out += static_cast<char>(c);
  }
  if (quote) out += '"';
}

void WriteField(std::string& out, const TS57Field& f) {
  const TS57Layout& l = *f.Layout;
  out += ' ';
  out += f.Tag;
  out += ' ';
  AppendInt(out, static_cast<int64_t>(f.Repeats));
  out += ',';
  AppendInt(out, static_cast<int64_t>(l.RepeatFrom == SIZE_MAX ? l.Labels.size() : l.Width()));
  const bool bare = IsCoordinates(f.Tag);
  const size_t head = l.Head(), width = l.Width();
  for (size_t i = 0; i < f.Values.size(); ++i) {
    out += ',';
    const std::string& label = l.Labels[i < head ? i : head + (i - head) % width];
    if (bare)
      AppendInt(out, f.Values[i].Int);  // integers only, checked when read
    else
      AppendValue(out, label, f.Values[i]);
  }
  out += '\n';
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EIso8211Error(path + ": cannot open: " + std::strerror(errno));
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(static_cast<size_t>(st.st_size));
  uint8_t buf[65536];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      close(fd);
      throw EIso8211Error(path + ": cannot read: " + std::strerror(err));
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buf, buf + n);
  }
  close(fd);
  return bytes;
}

}  // namespace

const TSubValue* TS57Field::Find(std::string_view label) const {
  const size_t head = Layout->Head();
  for (size_t i = 0; i < head && i < Values.size(); ++i)
    if (Layout->Labels[i] == label) return &Values[i];
  return nullptr;
}

TS57Field* TS57Record::Find(std::string_view tag) {
  for (TS57Field& f : Fields)
    if (f.Tag == tag) return &f;
  return nullptr;
}

const TS57Field* TS57Record::Find(std::string_view tag) const { return const_cast<TS57Record*>(this)->Find(tag); }

std::string UpdatePath(const std::string& path, int n) {
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".000") != 0 || n < 1 || n > 999) return {};
  char ext[8];
  std::snprintf(ext, sizeof ext, "%03d", n);
  return path.substr(0, path.size() - 3) + ext;
}

TS57Cell TS57Cell::Read(const std::string& path) {
  const std::vector<uint8_t> base = ReadBytes(path);
  TS57Cell cell = FromBytes(path, base);
  for (;;) {
    const std::string next = UpdatePath(path, static_cast<int>(std::min<int64_t>(cell.UpdateNumber_ + 1, 1000)));
    std::error_code ec;
    if (next.empty() || !std::filesystem::exists(next, ec)) break;
    cell.ApplyUpdate(next, ReadBytes(next));
  }
  return cell;
}

TS57Cell TS57Cell::FromBytes(const std::string& name, const std::vector<uint8_t>& base) {
  TS57Cell cell;
  TIso8211File file(name, base);
  cell.Load(file, false);
  return cell;
}

void TS57Cell::ApplyUpdate(const std::string& name, const std::vector<uint8_t>& update) {
  TIso8211File file(name, update);
  Load(file, true);
  ++UpdatesApplied_;
}

void TS57Cell::Load(TIso8211File& file, bool update) {
  std::unordered_map<std::string, std::shared_ptr<const TS57Layout>> layouts;
  TDdfRecord rec;
  std::vector<TSubValue> values;
  bool sawDsid = false, sawDspm = false;
  // Records of each kind that the data set structure announces and that the file holds: a file
  // cut at a record's end would otherwise pass for a smaller cell.
  std::vector<std::pair<const char*, int64_t>> announced;
  int64_t held[5] = {};  // features, isolated nodes, connected nodes, edges, faces
  while (file.Next(rec)) {
    TS57Record r;
    std::string naming;
    int64_t ruin = 1;
    for (const TDdfField& f : rec.Fields) {
      if (!Kept(f.Tag) || (f.Tag == "ATTF" && !AttributesFit(f.Defn))) continue;
      size_t repeats = 0;
      if (!f.Defn || !f.Defn->FormatError.empty()) file.Decode(f, values, repeats);  // raises the cause
      std::shared_ptr<const TS57Layout>& layout = layouts[f.Tag];
      if (!layout) {
        CheckLayout(file, f.Offset, *f.Defn);
        layout = std::make_shared<const TS57Layout>(TS57Layout{f.Defn->Labels, f.Defn->RepeatFrom});
      }
      file.Decode(f, values, repeats);
      if (IsCoordinates(f.Tag))
        for (const TSubValue& v : values)
          if (v.Kind != TSubValue::TKind::Int)
            file.Fail(f.Offset, "field " + f.Tag + " holds a coordinate that is no integer");
      if (f.Tag == "ATTF")
        for (size_t i = 1; i < values.size(); i += 2) Latin1ToUtf8(values[i].Text);
      r.Fields.push_back(TS57Field{f.Tag, layout, std::move(values), repeats});
      values = {};
      if (!IsNaming(f.Tag)) continue;
      if (!naming.empty()) file.Fail(f.Offset, "one record holds both " + naming + " and " + f.Tag);
      naming = f.Tag;
      const TS57Field& nf = r.Fields.back();
      r.Rcnm = static_cast<int>(NeedInt(file, f.Offset, nf, "RCNM"));
      r.Rcid = static_cast<uint32_t>(NeedInt(file, f.Offset, nf, "RCID"));
      if (f.Tag == "VRID" || f.Tag == "FRID") {
        r.Rver = NeedInt(file, f.Offset, nf, "RVER");
        ruin = NeedInt(file, f.Offset, nf, "RUIN");
      }
      if (f.Tag == "FRID")
        for (const char* label : {"PRIM", "GRUP", "OBJL"}) NeedInt(file, f.Offset, nf, label);
    }
    if (naming.empty()) continue;  // catalogue and other records the chart text does not carry
    const std::string& tag = naming;

    if (tag == "DSID") {
      if (sawDsid) file.Fail(rec.Offset, "a second DSID record");
      sawDsid = true;
      if (const TS57Field* si = r.Find("DSSI")) {
        int64_t features = 0;
        for (const char* label : {"NOMR", "NOCR", "NOGR", "NOLR"}) features += NeedInt(file, rec.Offset, *si, label);
        announced = {{"feature records", features},
                     {"isolated nodes", NeedInt(file, rec.Offset, *si, "NOIN")},
                     {"connected nodes", NeedInt(file, rec.Offset, *si, "NOCN")},
                     {"edges", NeedInt(file, rec.Offset, *si, "NOED")},
                     {"faces", NeedInt(file, rec.Offset, *si, "NOFA")}};
        std::erase_if(r.Fields, [](const TS57Field& f) { return f.Tag == "DSSI"; });
      }
      const TS57Field& d = *r.Find("DSID");
      const std::string edition = TextOf(d.Find("EDTN"));
      int64_t updn = 0;
      if (IntOf(d.Find("UPDN"), updn) && (updn < 0 || updn > 999))
        file.Fail(rec.Offset, "update number " + std::to_string(updn) + " is out of range");
      if (!update) {
        Edition_ = edition;
        UpdateNumber_ = updn;
        Records_.push_back(std::move(r));
        continue;
      }
      if (!IntOf(d.Find("UPDN"), updn)) file.Fail(rec.Offset, "DSID has no update number");
      if (edition == "0" || edition.empty()) file.Fail(rec.Offset, "the update cancels the cell");
      if (edition != Edition_)
        file.Fail(rec.Offset, "update for edition " + edition + " of a cell of edition " + Edition_);
      if (updn != UpdateNumber_ + 1)
        file.Fail(rec.Offset, "update number " + std::to_string(updn) + " where " + std::to_string(UpdateNumber_ + 1) +
                                  " was expected");
      UpdateNumber_ = updn;
      // The cell's own identification now tells which update it carries.
      for (TS57Record& own : Records_) {
        TS57Field* od = own.Find("DSID");
        if (!od) continue;
        for (const char* label : {"UPDN", "UADT", "ISDT"}) {
          const TSubValue* from = d.Find(label);
          TSubValue* to = const_cast<TSubValue*>(od->Find(label));
          if (from && to) *to = *from;
        }
      }
      continue;
    }
    if (!sawDsid) file.Fail(rec.Offset, "a " + tag + " record before the DSID record");
    if (tag == "DSPM") {
      if (update) continue;  // the data set parameters come with the base cell only
      if (sawDspm) file.Fail(rec.Offset, "a second DSPM record");
      sawDspm = true;
      const TS57Field& p = *r.Find("DSPM");
      for (const char* label : {"COMF", "SOMF"})
        if (NeedInt(file, rec.Offset, p, label) <= 0)
          file.Fail(rec.Offset, std::string("DSPM ") + label + " is not positive");
      Records_.push_back(std::move(r));
      continue;
    }
    if (tag == "FRID")
      ++held[0];
    else if (r.Rcnm >= 110 && r.Rcnm <= 140 && r.Rcnm % 10 == 0)
      ++held[1 + (r.Rcnm - 110) / 10];
    if (update) {
      ApplyRecord(file, rec.Offset, r, ruin);
      continue;
    }
    std::erase_if(r.Fields, [](const TS57Field& f) { return IsControl(f.Tag); });
    if (!Index_.emplace(r.Key(), Records_.size()).second) file.Fail(rec.Offset, RecordName(r) + " comes twice");
    Records_.push_back(std::move(r));
  }
  if (!sawDsid) file.Fail(0, "no DSID record: not an S-57 data set");
  CompareCounts(file, announced, held);
  if (!update && !sawDspm) file.Fail(0, "no DSPM record: the coordinate factors are unknown");
}

// Counts that disagree are a fault of the producer to report, not a reason to drop the chart;
// only a file that holds fewer records than announced in all is taken to be cut short.
void TS57Cell::CompareCounts(const TIso8211File& file, const std::vector<std::pair<const char*, int64_t>>& announced,
                             const int64_t (&held)[5]) {
  int64_t announcedAll = 0, heldAll = 0;
  std::string said, found;
  for (size_t i = 0; i < announced.size(); ++i) {
    announcedAll += announced[i].second;
    heldAll += held[i];
    if (announced[i].second == held[i]) continue;
    if (!said.empty()) {
      said += ", ";
      found += ", ";
    }
    said += std::to_string(announced[i].second) + " " + announced[i].first;
    found += std::to_string(held[i]) + " " + announced[i].first;
  }
  if (said.empty()) return;
  if (heldAll < announcedAll)
    file.Fail(file.Size(), "the data set structure announces " + said + ", the file holds " + found +
                               ": fewer records than announced, the file may be cut short");
  Warnings_.push_back(file.Name() + ": the data set structure (DSSI) announces " + said + ", the file holds " + found +
                      "; read as held");
}

void TS57Cell::ApplyRecord(TIso8211File& file, size_t offset, TS57Record& upd, int64_t ruin) {
  const auto it = Index_.find(upd.Key());
  TS57Record* target = it == Index_.end() || Records_[it->second].Deleted ? nullptr : &Records_[it->second];
  const std::string name = RecordName(upd);
  if (ruin == 1) {
    if (target) file.Fail(offset, "inserts " + name + ", which the cell holds already");
    std::erase_if(upd.Fields, [](const TS57Field& f) { return IsControl(f.Tag); });
    if (it != Index_.end())
      Records_[it->second] = std::move(upd);
    else {
      Index_.emplace(upd.Key(), Records_.size());
      Records_.push_back(std::move(upd));
    }
    return;
  }
  if (ruin != 2 && ruin != 3)
    file.Fail(offset, name + ": record update instruction " + std::to_string(ruin) + " is none of 1, 2 and 3");
  if (!target) file.Fail(offset, (ruin == 2 ? "deletes " : "modifies ") + name + ", which the cell does not hold");
  if (upd.Rver != target->Rver + 1)
    file.Fail(offset, name + ": version " + std::to_string(upd.Rver) + " does not follow version " +
                          std::to_string(target->Rver) + " of the cell");
  target->Rver = upd.Rver;
  if (ruin == 2) {
    target->Deleted = true;
    return;
  }
  TS57Field* id = target->Find("FRID");
  if (!id) id = target->Find("VRID");
  if (TSubValue* v = id ? const_cast<TSubValue*>(id->Find("RVER")) : nullptr)
    *v = TSubValue{TSubValue::TKind::Int, upd.Rver, {}};

  // Applies one control: instruction ui (1 insert, 2 delete, 3 modify) for n repetitions from
  // index ix (1 = the first) of the field that `ctrl` controls, taking new ones from `data`.
  auto splice = [&](const std::string& ctrl, int64_t ui, int64_t ix, int64_t n, const TS57Field* data) {
    TS57Field* t = nullptr;
    for (TS57Field& f : target->Fields)
      if (Controls(ctrl, f.Tag)) t = &f;
    const std::string what = ctrl + " of " + name;
    if (data && t && (t->Tag != data->Tag || t->Layout->Labels != data->Layout->Labels))
      file.Fail(offset, what + " brings " + data->Tag + " for the record's " + t->Tag);
    if (!t) {
      if (ui != 1 || !data) file.Fail(offset, what + " changes a field the record does not have");
      TS57Field empty{data->Tag, data->Layout, {}, 0};
      empty.Values.assign(data->Values.begin(), data->Values.begin() + static_cast<long>(data->Layout->Head()));
      target->Fields.push_back(std::move(empty));
      t = &target->Fields.back();
    }
    const size_t head = t->Layout->Head(), width = t->Layout->Width();
    const int64_t rows = static_cast<int64_t>(t->Repeats);
    if (width == 0) file.Fail(offset, what + ": " + t->Tag + " does not repeat");
    if (ix < 1 || n < 0 || (ui == 1 ? ix > rows + 1 : ix - 1 + n > rows))
      file.Fail(offset, what + ": index " + std::to_string(ix) + " and count " + std::to_string(n) +
                            " do not fit the " + std::to_string(rows) + " entries of " + t->Tag);
    if (ui != 2 && static_cast<int64_t>(data->Repeats) != n)
      file.Fail(offset, what + " announces " + std::to_string(n) + " entries, " + data->Tag + " brings " +
                            std::to_string(data->Repeats));
    const auto at = t->Values.begin() + static_cast<long>(head + static_cast<size_t>(ix - 1) * width);
    const auto span = static_cast<long>(static_cast<size_t>(n) * width);
    if (ui == 2) {
      t->Values.erase(at, at + span);
      t->Repeats -= static_cast<size_t>(n);
      return;
    }
    const auto from = data->Values.begin() + static_cast<long>(data->Layout->Head());
    if (ui == 1) {
      t->Values.insert(at, from, data->Values.end());
      t->Repeats += static_cast<size_t>(n);
    } else {
      std::copy(from, data->Values.end(), at);
    }
  };

  std::string pendingCtrl;
  int64_t ui = 0, ix = 0, n = 0;
  for (const TS57Field& f : upd.Fields) {
    if (f.Tag == "VRID" || f.Tag == "FRID") continue;
    if (IsControl(f.Tag)) {
      if (!pendingCtrl.empty()) file.Fail(offset, pendingCtrl + " of " + name + " comes without its field");
      const std::string p = f.Tag == "SGCC" ? "CC" : f.Tag == "VRPC" ? "VP" : "FS";
      ui = NeedInt(file, offset, f, p + "UI");
      ix = NeedInt(file, offset, f, p + "IX");
      n = NeedInt(file, offset, f, f.Tag == "SGCC" ? "CCNC" : f.Tag == "VRPC" ? "NVPT" : "NSPT");
      if (ui < 1 || ui > 3)
        file.Fail(offset,
                  f.Tag + " of " + name + ": update instruction " + std::to_string(ui) + " is none of 1, 2 and 3");
      if (ui == 2)
        splice(f.Tag, ui, ix, n, nullptr);
      else
        pendingCtrl = f.Tag;
      continue;
    }
    if (!pendingCtrl.empty()) {
      if (!Controls(pendingCtrl, f.Tag)) file.Fail(offset, pendingCtrl + " of " + name + " is followed by " + f.Tag);
      splice(pendingCtrl, ui, ix, n, &f);
      pendingCtrl.clear();
      continue;
    }
    // A field without a control replaces the record's field of that kind whole; attributes
    // are changed one by one.
    TS57Field* same = nullptr;
    for (TS57Field& g : target->Fields)
      if (g.Tag == f.Tag || (IsCoordinates(g.Tag) && IsCoordinates(f.Tag))) same = &g;
    if (f.Tag == "ATTF") {
      if (!same) {
        target->Fields.push_back(TS57Field{f.Tag, f.Layout, {}, 0});
        same = &target->Fields.back();
      }
      MergeAttributes(*same, f);
    } else if (same)
      *same = f;
    else
      target->Fields.push_back(f);
  }
  if (!pendingCtrl.empty()) file.Fail(offset, pendingCtrl + " of " + name + " comes without its field");
}

size_t TS57Cell::RecordCount() const {
  size_t n = 0;
  for (const TS57Record& r : Records_) n += !r.Deleted;
  return n;
}

void TS57Cell::WriteText(std::string& out) const {
  size_t n = 0;
  for (const TS57Record& r : Records_) {
    if (r.Deleted) continue;
    out += "RECN ";
    AppendInt(out, static_cast<int64_t>(++n));
    out += '\n';
    for (const TS57Field& f : r.Fields) WriteField(out, f);
    out += "****\n";
  }
}

void TS57Cell::Save(const std::string& path) const {
  std::string text;
  WriteText(text);
  ReplaceFile(path, text);
}

}  // namespace orvane
