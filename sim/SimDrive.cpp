// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimDrive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace orvane {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
constexpr double kEarthRadius = 6371000.0;  // metres; a sphere is plenty for a simulated drive
constexpr double kKnot = 1852.0 / 3600.0;   // m/s
constexpr double kOrbitPeriod = 43082.0;    // seconds, half a sidereal day
constexpr int kPrnCount = 32;
constexpr int kOrbiting = 24;
constexpr size_t kMaxUsed = 12;  // GSA has twelve PRN slots

// The simulator keeps its own number writing and its own calendar (AppendInt and DaysFromCivil
// also live in common/) on purpose: it is the independent oracle the decoders and
// the GPX writer are tested against, so it shares no code with them and needs no library below
// the network outputs it is served on.
void AppendInt(std::string& out, int64_t v, int width = 0) {
  char buf[24];
  int n = 0;
  const bool negative = v < 0;
  uint64_t u = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  while (n < width) buf[n++] = '0';
  if (negative) out += '-';
  while (n) out += buf[--n];
}

// Fixed decimals by integer arithmetic: the period whatever the locale, and fast enough to
// write a day of bursts in a fraction of a second.
void AppendFixed(std::string& out, double v, int decimals, int intWidth = 0) {
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  int64_t units = std::llround(v * static_cast<double>(scale));
  if (units < 0) {
    out += '-';
    units = -units;
  }
  AppendInt(out, units / scale, intWidth);
  if (decimals > 0) {
    out += '.';
    AppendInt(out, units % scale, decimals);
  }
}

// A comma, then the field.
void AddInt(std::string& out, int64_t v, int width = 0) {
  out += ',';
  AppendInt(out, v, width);
}
void AddFixed(std::string& out, double v, int decimals) {
  out += ',';
  AppendFixed(out, v, decimals);
}

double Rounded(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return static_cast<double>(std::llround(v * scale)) / scale;
}

// An angle as NMEA writes it, ddmm.mmmm or dddmm.mmmm, from ten-thousandths of a minute.
void AppendAngle(std::string& out, int64_t units, int degreeDigits) {
  AppendInt(out, units / 600000, degreeDigits);
  AppendInt(out, units % 600000 / 10000, 2);
  out += '.';
  AppendInt(out, units % 10000, 4);
}

int64_t AngleUnits(double degrees) { return std::llround(std::fabs(degrees) * 600000.0); }

// Days since 1970-01-01 to the civil date (proleptic Gregorian), after H. Hinnant's
// "chrono-compatible low-level date algorithms".
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Solves the 4x4 system of the dilution matrix in place; false when the geometry is degenerate.
bool Invert4(std::array<std::array<double, 4>, 4>& a) {
  std::array<std::array<double, 4>, 4> inv{};
  for (int i = 0; i < 4; ++i) inv[i][i] = 1;
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    if (std::fabs(a[p][c]) < 1e-12) return false;
    std::swap(a[p], a[c]);
    std::swap(inv[p], inv[c]);
    const double f = 1 / a[c][c];
    for (int k = 0; k < 4; ++k) {
      a[c][k] *= f;
      inv[c][k] *= f;
    }
    for (int r = 0; r < 4; ++r) {
      if (r == c) continue;
      const double g = a[r][c];
      for (int k = 0; k < 4; ++k) {
        a[r][k] -= g * a[c][k];
        inv[r][k] -= g * inv[c][k];
      }
    }
  }
  a = inv;
  return true;
}

}  // namespace

bool HemisphereStart(std::string_view h, double& lat, double& lon) {
  std::string u;
  for (char c : h) u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (u == "NE")
    lat = 35.68, lon = 139.76;
  else if (u == "NW")
    lat = 37.7749, lon = -122.4194;
  else if (u == "SE")
    lat = -33.8688, lon = 151.2093;
  else if (u == "SW")
    lat = -33.4489, lon = -70.6693;
  else
    return false;
  return true;
}

bool ParseUtc(std::string_view t, int64_t& seconds) {
  if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) t.remove_suffix(1);
  auto number = [&](size_t from, size_t len, int& v) {
    if (from + len > t.size()) return false;
    v = 0;
    for (size_t i = from; i < from + len; ++i) {
      if (t[i] < '0' || t[i] > '9') return false;
      v = v * 10 + (t[i] - '0');
    }
    return true;
  };
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (!number(0, 4, y) || t.size() < 10 || t[4] != '-' || !number(5, 2, mo) || t[7] != '-' || !number(8, 2, d))
    return false;
  if (t.size() > 10) {
    if ((t[10] != 'T' && t[10] != 't' && t[10] != ' ') || !number(11, 2, h) || t.size() < 16 || t[13] != ':' ||
        !number(14, 2, mi))
      return false;
    if (t.size() > 16 && (t.size() != 19 || t[16] != ':' || !number(17, 2, s))) return false;
  }
  static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (mo < 1 || mo > 12 || d < 1 || d > kMonthDays[mo - 1] || (mo == 2 && d == 29 && !leap) || h > 23 || mi > 59 ||
      s > 59)
    return false;
  seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t x = 0;
  for (char c : body) x ^= static_cast<uint8_t>(c);
  return x;
}

void AppendSentence(std::string& out, std::string_view body) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const uint8_t sum = NmeaChecksum(body);
  out += '$';
  out += body;
  out += '*';
  out += kHex[sum >> 4];
  out += kHex[sum & 15];
  out += "\r\n";
}

TNmeaSim::TNmeaSim(const TSimOptions& options)
    : Opt(options), Rng(options.Seed), Time_(options.StartTime), Lat(options.StartLat), Lon(options.StartLon) {
  Course = 360 * Uniform();
  AltitudeBase = 20 + 40 * Uniform();
  DgpsFor = static_cast<int>(60 + 600 * Uniform());
  // Two dozen of the 32 PRNs are up there, each on its own pass across the sky.
  std::array<int, kPrnCount> prns;
  for (int i = 0; i < kPrnCount; ++i) prns[i] = i + 1;
  for (int i = kPrnCount - 1; i > 0; --i) std::swap(prns[i], prns[static_cast<int>(Uniform() * (i + 1))]);
  std::sort(prns.begin(), prns.begin() + kOrbiting);
  for (int i = 0; i < kOrbiting; ++i) {
    TOrbit o;
    o.Prn = prns[i];
    o.Phase0 = 2 * kPi * Uniform();
    o.Rate = 2 * kPi / (kOrbitPeriod * (0.9 + 0.2 * Uniform()));
    o.MaxElevation = 15 + 73 * Uniform();
    o.RiseAzimuth = 360 * Uniform();
    o.Sweep = (Uniform() < 0.5 ? -1 : 1) * (60 + 140 * Uniform());
    Orbits.push_back(o);
  }
}

// splitmix64: small, fast and the same on every platform, unlike the standard distributions.
double TNmeaSim::Uniform() {
  uint64_t z = (Rng += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

// One second of a town drive: cruising at a changing pace, waiting at lights, turning at corners.
void TNmeaSim::Drive() {
  if (StopFor > 0) {
    if (Speed < 0.1) --StopFor;
  } else {
    if (--CruiseFor <= 0) {
      TargetSpeed = Uniform() < 0.15 ? 22 + 6 * Uniform() : 8 + 9 * Uniform();
      CruiseFor = static_cast<int>(30 + 90 * Uniform());
    }
    if (Speed > 3 && Uniform() < 1.0 / 150) StopFor = static_cast<int>(15 + 45 * Uniform());
  }
  const double target = StopFor > 0 ? 0 : TargetSpeed;
  const double next = Speed + std::clamp(target - Speed, -2.5, 1.5);

  if (Speed > 1) {
    if (TurnLeft == 0 && Uniform() < 1.0 / 40) {
      const double side = Uniform() < 0.5 ? -1 : 1;
      TurnLeft = side * (Uniform() < 0.7 ? 90 : 30 + 30 * Uniform());
    }
    if (TurnLeft != 0) {
      const double step = std::clamp(TurnLeft, -15.0, 15.0);
      Course += step;
      TurnLeft -= step;
    } else {
      Course += Uniform() - 0.5;  // the road is never quite straight
    }
    Course = std::fmod(Course + 360, 360);
  }

  const double distance = (Speed + next) / 2;
  Speed = next;
  Lat += distance * std::cos(Course * kDeg) / kEarthRadius / kDeg;
  Lon += distance * std::sin(Course * kDeg) / (kEarthRadius * std::cos(Lat * kDeg)) / kDeg;
  if (std::fabs(Lat) > 89) {  // turn back well before a pole
    Lat = std::copysign(89, Lat);
    Course = std::fmod(540 - Course, 360);
  }
  if (Lon > 180) Lon -= 360;
  if (Lon < -180) Lon += 360;
}

void TNmeaSim::Sky() {
  const bool outage = OutageFor > 0;
  Epoch_.Sats.clear();
  for (const TOrbit& o : Orbits) {
    const double phase = std::fmod(o.Phase0 + o.Rate * static_cast<double>(Elapsed), 2 * kPi);
    const double el = o.MaxElevation * std::sin(phase);
    if (el < 0.5) continue;
    TSimSat s;
    s.Prn = o.Prn;
    s.Elevation = static_cast<int>(std::lround(el));
    s.Azimuth = static_cast<int>(std::lround(std::fmod(o.RiseAzimuth + o.Sweep * phase / kPi + 720, 360))) % 360;
    const double noise = 3 * Uniform() - 1.5;
    if (!outage && el >= 5) s.Snr = std::clamp(static_cast<int>(std::lround(22 + 0.28 * el + noise)), 15, 52);
    // Only the newer satellites send L2C, weaker than L1 and lost first near the horizon; drawn
    // from the L1 level so that the sky stays the same without the second band.
    if (Opt.DualBand && o.Prn % 3 != 0) s.L2Snr = s.Snr > 0 && el >= 10 ? std::max(15, s.Snr - 4 - o.Prn % 4) : 0;
    Epoch_.Sats.push_back(s);
  }
  // The strongest high satellites make the fix.
  std::vector<TSimSat*> usable;
  for (TSimSat& s : Epoch_.Sats)
    if (s.Snr >= 25 && s.Elevation >= 10) usable.push_back(&s);
  std::stable_sort(usable.begin(), usable.end(), [](auto* a, auto* b) { return a->Elevation > b->Elevation; });
  if (usable.size() > kMaxUsed) usable.resize(kMaxUsed);
  for (TSimSat* s : usable) s->Used = true;
  Epoch_.UsedPrns.clear();
  for (const TSimSat& s : Epoch_.Sats)
    if (s.Used) Epoch_.UsedPrns.push_back(s.Prn);
  const size_t used = Epoch_.UsedPrns.size();
  Epoch_.FixType = used >= 4 ? 3 : used == 3 ? 2 : 1;
  Epoch_.Fix = Epoch_.FixType > 1;
  Epoch_.Quality = Epoch_.Fix ? (Dgps ? 2 : 1) : 0;
}

// Dilutions of precision from the geometry of the used satellites: Q = (H^T H)^-1 with one row
// (east, north, up, clock) per satellite; PDOP^2 = qee + qnn + quu, HDOP^2 = qee + qnn.
void TNmeaSim::Dilutions() {
  Epoch_.Pdop = Epoch_.Hdop = Epoch_.Vdop = 99.99;
  if (Epoch_.FixType < 3) return;
  std::array<std::array<double, 4>, 4> n{};
  for (const TSimSat& s : Epoch_.Sats) {
    if (!s.Used) continue;
    const double el = s.Elevation * kDeg, az = s.Azimuth * kDeg;
    const double h[4] = {std::cos(el) * std::sin(az), std::cos(el) * std::cos(az), std::sin(el), 1};
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) n[i][j] += h[i] * h[j];
  }
  if (!Invert4(n)) return;
  Epoch_.Pdop = Rounded(std::min(99.99, std::sqrt(n[0][0] + n[1][1] + n[2][2])), 2);
  Epoch_.Hdop = Rounded(std::min(99.99, std::sqrt(n[0][0] + n[1][1])), 2);
  Epoch_.Vdop = Rounded(std::min(99.99, std::sqrt(n[2][2])), 2);
}

void TNmeaSim::NextBurst(std::string& out) {
  if (Elapsed > 0) Drive();
  if (OutageFor > 0) {
    --OutageFor;
  } else if (Opt.OutageEvery > 0 && Uniform() < 1 / Opt.OutageEvery) {
    OutageFor = static_cast<int>(8 + 30 * Uniform());
  }
  if (--DgpsFor <= 0) {
    Dgps = !Dgps;
    DgpsFor = static_cast<int>(Dgps ? 300 + 1500 * Uniform() : 600 + 3000 * Uniform());
  }
  Epoch_.Time = Time_;
  Sky();
  Dilutions();
  // Written values, so that a decoder can be compared with them exactly.
  const int64_t latUnits = AngleUnits(Lat), lonUnits = AngleUnits(Lon);
  Epoch_.Lat = std::copysign(static_cast<double>(latUnits) / 600000.0, Lat);
  Epoch_.Lon = std::copysign(static_cast<double>(lonUnits) / 600000.0, Lon);
  // A receiver at a standstill reports a little noise, not a clean zero.
  Epoch_.SpeedKnots = Rounded(Speed < 0.1 ? 0.05 * Uniform() : Speed / kKnot, 2);
  Epoch_.Course = Rounded(Course, 1);
  if (Epoch_.Course >= 360) Epoch_.Course = 0;
  Epoch_.Altitude = Rounded(AltitudeBase + 12 * std::sin(2 * kPi * static_cast<double>(Elapsed) / 1800), 1);
  Epoch_.Geoid = 36.7;
  Epoch_.DatumAnnounced = Elapsed == 0 || (Opt.DatumEvery > 0 && Elapsed % Opt.DatumEvery == 0);
  Write(out);
  ++Time_;
  ++Elapsed;
}

void TNmeaSim::Write(std::string& out) const {
  const TSimEpoch& e = Epoch_;
  std::string b;
  b.reserve(96);

  std::string time;
  const int64_t days = FloorDiv(e.Time, 86400), sec = e.Time - days * 86400;
  AppendInt(time, sec / 3600, 2);
  AppendInt(time, sec / 60 % 60, 2);
  AppendInt(time, sec % 60, 2);
  time += ".00";
  std::string date;
  int y, m, d;
  CivilFromDays(days, y, m, d);
  AppendInt(date, d, 2);
  AppendInt(date, m, 2);
  AppendInt(date, ((y % 100) + 100) % 100, 2);

  std::string pos;  // lat,N,lon,E
  AppendAngle(pos, AngleUnits(e.Lat), 2);
  pos += e.Lat < 0 ? ",S," : ",N,";
  AppendAngle(pos, AngleUnits(e.Lon), 3);
  pos += e.Lon < 0 ? ",W" : ",E";

  // One cycle per signal: the satellites and their SNRs, then the signal ID (none: "").
  const auto cycle = [&](const std::vector<std::pair<int, const TSimSat*>>& sats, const char* signal) {
    const size_t n = sats.size();
    const size_t messages = std::max<size_t>(1, (n + 3) / 4);
    for (size_t msg = 0; msg < messages; ++msg) {
      b = "GPGSV,";
      AppendInt(b, static_cast<int64_t>(messages));
      AddInt(b, static_cast<int64_t>(msg + 1));
      AddInt(b, static_cast<int64_t>(n), 2);
      size_t groups = 0;
      for (size_t i = msg * 4; i < n && i < msg * 4 + 4; ++i, ++groups) {
        const TSimSat& s = *sats[i].second;
        AddInt(b, s.Prn, 2);
        AddInt(b, s.Elevation, 2);
        AddInt(b, s.Azimuth, 3);
        b += ',';
        if (sats[i].first > 0) AppendInt(b, sats[i].first, 2);
      }
      // Receivers of NMEA 4.10 and later end the message after its last satellite.
      if (Opt.PadGsv && !*signal)
        for (; groups < 4; ++groups) b += ",,,,";
      if (*signal) b.append(",").append(signal);
      AppendSentence(out, b);
    }
  };
  std::vector<std::pair<int, const TSimSat*>> l1, l2;
  for (const TSimSat& s : e.Sats) {
    l1.emplace_back(s.Snr, &s);
    if (s.L2Snr >= 0) l2.emplace_back(s.L2Snr, &s);
  }
  cycle(l1, Opt.DualBand ? "1" : "");
  if (Opt.DualBand) cycle(l2, "6");

  b = "GPGSA,A,";
  AppendInt(b, e.FixType);
  for (size_t i = 0; i < kMaxUsed; ++i) {
    b += ',';
    if (e.Fix && i < e.UsedPrns.size()) AppendInt(b, e.UsedPrns[i], 2);
  }
  for (double dop : {e.Pdop, e.Hdop, e.Vdop}) {
    AddFixed(b, dop, 2);
  }
  if (Opt.DualBand) b += ",1";
  AppendSentence(out, b);

  b = "GPGGA," + time + ',';
  if (e.Fix) {
    b += pos;
    AddInt(b, e.Quality);
    AddInt(b, static_cast<int64_t>(e.UsedPrns.size()), 2);
    AddFixed(b, e.Hdop, 2);
    AddFixed(b, e.Altitude, 1);
    b += ",M,";
    AppendFixed(b, e.Geoid, 1);
    b += ",M,";
    if (e.Quality == 2) {
      AppendInt(b, e.Time % 10 + 1);
      b += ".0,0136";
    } else {
      b += ',';
    }
  } else {
    b += ",,,,0,00,99.99,,,,,,";
  }
  AppendSentence(out, b);

  b = "GPGLL,";
  if (e.Fix)
    b += pos + ',' + time + ",A," + (e.Quality == 2 ? "D" : "A");
  else
    b += ",,,," + time + ",V,N";
  AppendSentence(out, b);

  b = "GPRMC," + time;
  if (e.Fix) {
    b += ",A," + pos + ',';
    AppendFixed(b, e.SpeedKnots, 2);
    AddFixed(b, e.Course, 1);
    b += ',' + date + ',';
    AppendFixed(b, std::fabs(Opt.MagVar), 1);
    b += Opt.MagVar < 0 ? ",W," : ",E,";
    b += e.Quality == 2 ? "D" : "A";
  } else {
    b += ",V,,,,,,," + date + ",,,N";
  }
  AppendSentence(out, b);

  if (e.DatumAnnounced) AppendSentence(out, "PGRMM," + Opt.Datum);
}

}  // namespace orvane
