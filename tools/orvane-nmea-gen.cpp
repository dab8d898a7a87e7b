// orvane-nmea-gen: writes the log of a simulated receiver on a drive, one burst per second.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "sim/SimDrive.h"
#include "tools/ToolArgs.h"

namespace orvane {
namespace {

constexpr const char* kUsage =
    "Usage: orvane-nmea-gen [OPTION]...\n"
    "Writes the NMEA 0183 log of a simulated receiver in a car, one burst of GSV, GSA, GGA,\n"
    "GLL and RMC per second, with $PGRMM now and then and an occasional loss of the fix.\n"
    "\n"
    "  -o, --output FILE     write to FILE instead of standard output\n"
    "  --duration TIME       seconds of log, or with a unit: 90s, 5m, 24h (default 5m)\n"
    "  --start UTC           first burst, YYYY-MM-DD[THH:MM[:SS]] (default 2024-06-01T09:00:00)\n"
    "  --seed N              seed of the drive and the sky (default 1)\n"
    "  --hemisphere NE|NW|SE|SW  start near Tokyo, San Francisco, Sydney or Santiago (default NE)\n"
    "  --lat DEG, --lon DEG  start here instead (signed decimal degrees)\n"
    "  --outage-every S      mean seconds between fix losses, 0 for none (default 900)\n"
    "  --datum NAME          datum announced by $PGRMM (default \"WGS 84\")\n"
    "  --no-gsv-padding      end the last GSV message after its last satellite\n"
    "  --help, --version\n";

int Usage(const std::string& message) { return UsageError("orvane-nmea-gen", message); }

bool ParseDuration(std::string_view s, int64_t& seconds) {
  int64_t unit = 1;
  if (!s.empty()) {
    switch (s.back()) {
      case 's':
        unit = 1;
        break;
      case 'm':
        unit = 60;
        break;
      case 'h':
        unit = 3600;
        break;
      case 'd':
        unit = 86400;
        break;
      default:
        unit = 0;
        break;
    }
    if (unit)
      s.remove_suffix(1);
    else
      unit = 1;
  }
  int64_t n = 0;
  // Up to a year: a day is about 65 MB already.
  if (!ParseNumber(s, n) || n < 0 || n > 366 * 86400 / unit) return false;
  seconds = n * unit;
  return true;
}

int Run(int argc, char** argv) {
  TSimOptions opt;
  int64_t duration = 300;
  const char* output = nullptr;
  bool latSet = false, lonSet = false;
  double lat = opt.StartLat, lon = opt.StartLon;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> std::string_view { return i + 1 < argc ? argv[++i] : std::string_view(); };
    auto missing = [&]() { return Usage(std::string(a) + " needs a value"); };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--version") {
      std::printf("orvane-nmea-gen %s\n", ORVANE_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "-o" || a == "--output") {
      if (i + 1 >= argc) return missing();
      output = argv[++i];
    } else if (a == "--duration") {
      const std::string_view v = value();
      if (!ParseDuration(v, duration))
        return Usage("--duration takes seconds or 90s, 5m, 24h, not '" + std::string(v) + "'");
    } else if (a == "--start") {
      const std::string_view v = value();
      if (!ParseUtc(v, opt.StartTime))
        return Usage("--start takes YYYY-MM-DD[THH:MM[:SS]], not '" + std::string(v) + "'");
    } else if (a == "--seed") {
      const std::string_view v = value();
      if (!ParseNumber(v, opt.Seed)) return Usage("--seed takes an unsigned number, not '" + std::string(v) + "'");
    } else if (a == "--hemisphere") {
      const std::string_view v = value();
      if (!HemisphereStart(v, lat, lon))
        return Usage("--hemisphere takes NE, NW, SE or SW, not '" + std::string(v) + "'");
    } else if (a == "--lat" || a == "--lon") {
      const std::string_view v = value();
      double x = 0;
      const double limit = a == "--lat" ? 89 : 180;
      if (!ParseNumber(v, x) || !(x >= -limit && x <= limit))
        return Usage(std::string(a) + " takes decimal degrees from " + std::to_string(static_cast<int>(-limit)) +
                     " to " + std::to_string(static_cast<int>(limit)) + ", not '" + std::string(v) + "'");
      (a == "--lat" ? latSet : lonSet) = true;
      (a == "--lat" ? opt.StartLat : opt.StartLon) = x;
    } else if (a == "--outage-every") {
      const std::string_view v = value();
      if (!ParseNumber(v, opt.OutageEvery) || !(opt.OutageEvery >= 0))
        return Usage("--outage-every takes seconds, 0 for none, not '" + std::string(v) + "'");
    } else if (a == "--datum") {
      if (i + 1 >= argc) return missing();
      opt.Datum = argv[++i];
    } else if (a == "--no-gsv-padding") {
      opt.PadGsv = false;
    } else {
      return Usage("unknown argument '" + std::string(a) + "'");
    }
  }
  if (!latSet) opt.StartLat = lat;
  if (!lonSet) opt.StartLon = lon;

  FILE* f = stdout;
  const std::string name = output ? output : "standard output";
  if (output) {
    f = std::fopen(output, "wb");
    if (!f) {
      std::fprintf(stderr, "orvane-nmea-gen: cannot create \"%s\": %s\n", output, std::strerror(errno));
      return 1;
    }
  }
  TNmeaSim sim(opt);
  std::string buf;
  bool ok = true;
  for (int64_t s = 0; s < duration && ok; ++s) {
    sim.NextBurst(buf);
    if (buf.size() > (1 << 16) || s + 1 == duration) {
      ok = std::fwrite(buf.data(), 1, buf.size(), f) == buf.size();
      buf.clear();
    }
  }
  ok = std::fflush(f) == 0 && ok && !std::ferror(f);
  const int err = errno;
  if (output && std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "orvane-nmea-gen: cannot write \"%s\": %s\n", name.c_str(), std::strerror(err ? err : errno));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::Run(argc, argv); }
