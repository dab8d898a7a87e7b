// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/GpsdSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

// The text of a string member of a flat JSON object, escapes kept; empty when there is none.
std::string Member(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const size_t at = json.find(key);
  if (at == std::string::npos) return {};
  std::string value;
  for (size_t i = at + key.size(); i < json.size() && json[i] != '"'; ++i) {
    if (json[i] == '\\' && i + 1 < json.size()) ++i;
    value += json[i];
  }
  return value;
}

}  // namespace

std::string GpsdWatchCommand(const std::string& device) {
  std::string s = "?WATCH={\"enable\":true,\"nmea\":true";
  if (!device.empty()) s += ",\"device\":" + JsonString(device);
  return s + "};\n";
}

bool TGpsdFilter::Feed(const char* data, size_t size, std::string& out) {
  size_t i = 0;
  while (i < size) {
    if (State == TLine::Start) {
      // Line ends left between lines are no line of their own.
      if (data[i] == '\r' || data[i] == '\n') {
        ++i;
        continue;
      }
      State = data[i] == '{' ? TLine::Json : TLine::Nmea;
      Report.clear();
    }
    const void* found = std::memchr(data + i, '\n', size - i);
    const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) + 1 : size;
    if (State == TLine::Nmea) {
      out.append(data + i, end - i);
    } else if (Report.size() < kReportLimit) {
      Report.append(data + i, std::min(end - i, kReportLimit - Report.size()));
    }
    i = end;
    if (found) {
      const bool json = State == TLine::Json;
      State = TLine::Start;
      if (json && !Finish()) return false;
    }
  }
  return true;
}

bool TGpsdFilter::Finish() {
  if (Member(Report, "class") != "ERROR") return true;
  Message_ = Member(Report, "message");
  if (Message_.empty()) Message_ = "an error without a message";
  return false;
}

bool TGpsdSource::OnConnected() {
  Filter.Reset();
  return SendText(GpsdWatchCommand(Address_.Device));
}

bool TGpsdSource::Deliver(const char* data, size_t size, std::string& out) {
  if (Filter.Feed(data, size, out)) return true;
  return Fail(Name() + ": gpsd says: " + Filter.Message());
}

}  // namespace orvane
