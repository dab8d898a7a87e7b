// SPDX-License-Identifier: GPL-3.0-or-later
// Geodrel's exports and the plane conversion on any numbers, NaN, infinities and huge values
// included, and any datum names and indices. No crash, no hang; a conversion that answers true
// gives a finite position on the globe, and one that refuses leaves the input as it was.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "geodrel.h"
#include "maps/PlaneRect.h"

namespace {

// Reads the next double of the input, or 0 past its end.
class TBytes {
public:
  TBytes(const uint8_t* data, size_t size) : Data(data), Size(size) {}
  double Double() {
    double v = 0;
    if (Size >= sizeof v) {
      std::memcpy(&v, Data, sizeof v);
      Data += sizeof v;
      Size -= sizeof v;
    }
    return v;
  }
  uint8_t Byte() {
    if (!Size) return 0;
    --Size;
    return *Data++;
  }
  std::string Rest() { return std::string(reinterpret_cast<const char*>(Data), Size); }

private:
  const uint8_t* Data;
  size_t Size;
};

bool OnTheGlobe(const TGeoPoint& p) {
  return std::isfinite(p.lat) && std::isfinite(p.lon) && std::isfinite(p.height) && std::fabs(p.lat) <= 90.0 &&
         std::fabs(p.lon) <= 180.0;
}

const char* const kNames[] = {"Tokyo", "WGS 84", "GRS-83", "tokyo", "WGS-84", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBytes in(data, size);
  const double a = in.Double(), b = in.Double(), h = in.Double();
  const uint8_t pick = in.Byte();
  const int16_t index = static_cast<int16_t>(in.Byte() | in.Byte() << 8);
  const std::string name = in.Rest();

  DmsToDeg(a);
  DegToDms(a);
  if (std::isfinite(a) && std::fabs(a) < 1e15 && !std::isfinite(DmsToDeg(a))) std::abort();

  TDatumParam param{};
  GetDatum(name.c_str(), &param);
  GetEllipse(name.c_str());
  GetDatumByNum(index, &param);
  GetEllipseByNum(index);

  const TGeoPoint point{a, b, h};
  const char* from = kNames[pick % 6];
  const char* to = pick & 0x80 ? name.c_str() : kNames[(pick >> 3) % 6];
  TGeoPoint out{};
  const bool ok = DmsConv(from, to, &point, &out);
  const TGeoPoint given{DmsToDeg(a), DmsToDeg(b), h};
  if (ok && std::strcmp(from, to) != 0 && !(OnTheGlobe(out) && OnTheGlobe(given))) std::abort();
  if (!ok && (std::memcmp(&out.lat, &point.lat, sizeof out.lat) || std::memcmp(&out.lon, &point.lon, sizeof out.lon)))
    std::abort();

  const int zone = pick % 21;
  double r1 = 1, r2 = 2;
  try {
    orvane::PlaneToGeodetic(zone, r1, r2, a, b);
    if (!std::isfinite(r1) || !std::isfinite(r2) || std::fabs(r1) > 90) std::abort();
  } catch (const std::exception&) {
    if (r1 != 1 || r2 != 2) std::abort();
  }
  try {
    orvane::GeodeticToPlane(zone, a, b, r1, r2);
    if (!std::isfinite(r1) || !std::isfinite(r2)) std::abort();
  } catch (const std::exception&) {
  }
  return 0;
}
