// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/GpsdSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

namespace orvane {
namespace {

std::string JsonString(const std::string& text) {
  std::string s = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(c));
      s += esc;
    } else {
      s += c;
    }
  }
  return s + "\"";
}

}  // namespace

std::string GpsdWatchCommand(const std::string& device) {
  std::string s = "?WATCH={\"enable\":true,\"nmea\":true";
  if (!device.empty()) s += ",\"device\":" + JsonString(device);
  return s + "};\n";
}

void TGpsdFilter::Reset() {
  State = TLine::Start;
  ReportsWithoutNmea_ = 0;
}

bool TGpsdFilter::Feed(const char* data, size_t size, std::string& out) {
  size_t i = 0;
  while (i < size) {
    const char c = data[i];
    if (State == TLine::Start) {
      // Line ends and blanks between lines are no line of their own.
      if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
        ++i;
        continue;
      }
      if (c == '{') {
        State = TLine::Json;
        Depth = 0;
        InString = Escaped = LineStart = ValueNext = false;
        Key.clear(), Class.clear(), ReportMessage.clear();
      } else {
        State = TLine::Nmea;
        ReportsWithoutNmea_ = 0;
      }
    }
    if (State == TLine::Json) {
      // A report cut short (gpsd restarted mid-line) must not swallow the sentences after it:
      // a line that begins as NMEA does outside a string is one.
      if (LineStart && !InString && (c == ' ' || c == '\t' || c == '\r')) {
        ++i;
        continue;
      }
      if (!(LineStart && !InString && (c == '$' || c == '!'))) {
        LineStart = false;
        Json(c);
        ++i;
        if (State == TLine::Start && !Finish()) return false;
        continue;
      }
      State = TLine::Nmea;
      ReportsWithoutNmea_ = 0;
    }
    const void* found = std::memchr(data + i, '\n', size - i);
    const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) + 1 : size;
    out.append(data + i, end - i);
    i = end;
    if (found) State = TLine::Start;
  }
  return true;
}

// One byte of a report; the state goes back to Start when the report's object closes.
void TGpsdFilter::Json(char c) {
  if (InString) {
    if (Escaped) {
      Escaped = false;
    } else if (c == '\\') {
      Escaped = true;
      return;
    } else if (c == '"' || c == '\n') {
      // A line end inside a string is a broken report: the string ends there.
      InString = false;
      if (Depth == 1 && StringIsValue) {
        if (Key == "class") Class = Text;
        if (Key == "message") ReportMessage = Text;
      } else if (Depth == 1) {
        Key = Text;
      }
      if (c == '\n') LineStart = true;
      return;
    }
    if (Text.size() < kTextLimit) Text += c;
    return;
  }
  switch (c) {
    case '"':
      InString = true;
      Text.clear();
      StringIsValue = ValueNext;
      ValueNext = false;
      break;
    case '{':
    case '[':
      ++Depth;
      ValueNext = false;
      break;
    case '}':
    case ']':
      if (--Depth <= 0) State = TLine::Start;
      break;
    case ':':
      ValueNext = Depth == 1;
      break;
    case ',':
      ValueNext = false;
      break;
    case '\n':
      LineStart = true;
      break;
    default:
      break;
  }
}

bool TGpsdFilter::Finish() {
  if (Class == "ERROR") {
    Message_ = ReportMessage.empty() ? "an error without a message" : ReportMessage;
    return false;
  }
  static constexpr std::string_view kGpsdsOwn[] = {"VERSION", "DEVICES", "DEVICE", "WATCH"};
  if (std::find(std::begin(kGpsdsOwn), std::end(kGpsdsOwn), Class) == std::end(kGpsdsOwn)) ++ReportsWithoutNmea_;
  return true;
}

bool TGpsdSource::OnConnected() {
  Filter.Reset();
  return SendText(GpsdWatchCommand(Address_.Device));
}

bool TGpsdSource::Deliver(const char* data, size_t size, std::string& out) {
  if (!Filter.Feed(data, size, out)) return Fail(Name() + ": gpsd says: " + Filter.Message());
  if (Filter.ReportsWithoutNmea() >= kReportsWithoutNmea)
    return Fail(Name() + ": gpsd reports on its receiver but relays no NMEA sentences (a device without NMEA output)");
  return true;
}

}  // namespace orvane
