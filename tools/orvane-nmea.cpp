// orvane-nmea: decodes an NMEA log, or standard input, through exactly the framing and decoders
// the live receiver goes through, and prints what they made of it: the data monitor's blocks,
// one JSON object per decoded sentence, or a summary of the whole log.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/HostConv.h"
#include "nmea/UNmeaProc.h"
#include "nmea/NmeaReport.h"
#include "tools/ToolArgs.h"

namespace orvane {
namespace {

constexpr const char* kUsage =
    "Usage: orvane-nmea [OPTION]... [FILE]\n"
    "Decodes an NMEA 0183 log (standard input when FILE is absent or \"-\") through the same\n"
    "framing and decoders as a live receiver and prints what they made of it.\n"
    "\n"
    "  (no option)       after each GGA, GLL and RMC the data monitor's block, after each\n"
    "                    GSV cycle the satellite table, and the fix caption when it changes\n"
    "  --json            one JSON object per decoded sentence, with every GPS field\n"
    "  --summary         sentence counts, fix times and quality, extent of the positions,\n"
    "                    satellites and datums of the whole log\n"
    "  --gpx             every fix of the log as a GPX 1.1 track in WGS 84, one segment per\n"
    "                    run without a gap of more than a minute\n"
    "  --gnss            decode the talkers of multi-GNSS receivers too (GN, GL, GA, GB, BD,\n"
    "                    GQ, QZ besides GP), with up to 64 satellites of all systems\n"
    "  --gpsfix GSA|RMC  the sentence whose position marks a fix valid (default GSA)\n"
    "  --chunk-size N    bytes handed to the receive path at a time (default 4096)\n"
    "  --help            this text\n"
    "  --version         the version\n"
    "\n"
    "Exit status: 0 when the log was read to its end, 1 when it could not be read, 2 for a\n"
    "wrong command line.\n";

// ---- command line ---------------------------------------------------------------------------

enum class TMode { Text, Json, Summary, Gpx };

int Usage(const std::string& message) { return UsageError("orvane-nmea", message); }

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Run(int argc, char** argv) {
  TMode mode = TMode::Text;
  bool modeSet = false;
  bool gnss = false;
  std::string gpsFix = "$GPGSA";
  size_t chunk = 4096;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--version") {
      std::printf("orvane-nmea %s\n", ORVANE_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--json" || a == "--summary" || a == "--gpx") {
      const TMode m = a == "--json" ? TMode::Json : a == "--summary" ? TMode::Summary : TMode::Gpx;
      if (modeSet && m != mode) return Usage("--json, --summary and --gpx exclude each other");
      mode = m;
      modeSet = true;
    } else if (a == "--gnss") {
      gnss = true;
    } else if (a == "--gpsfix") {
      const char* v = value();
      if (!v) return Usage("--gpsfix needs GSA or RMC");
      const std::string_view s = v;
      if (s == "GSA" || s == "$GPGSA")
        gpsFix = "$GPGSA";
      else if (s == "RMC" || s == "$GPRMC")
        gpsFix = "$GPRMC";
      else
        return Usage("--gpsfix takes GSA or RMC, not '" + std::string(s) + "'");
    } else if (a == "--chunk-size") {
      const char* v = value();
      int32_t n = 0;
      if (!v || !TryStrToInt(v, n) || n < 1 || n > (1 << 24))
        return Usage("--chunk-size needs a number of bytes from 1 to 16777216");
      chunk = static_cast<size_t>(n);
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option '" + std::string(a) + "'");
    } else if (path) {
      return Usage("one log at a time");
    } else {
      path = argv[i];
    }
  }
  const bool useStdin = !path || std::string_view(path) == "-";
  const std::string name = useStdin ? "standard input" : std::string(path);

  int fd = 0;
  if (!useStdin) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "orvane-nmea: cannot open \"%s\": %s\n", path, std::strerror(errno));
      return 1;
    }
  }

  TNmeaRec rec;
  // The program's defaults of the two settings the decoders read.
  rec.GpsFix = gpsFix;
  rec.GpsDatum = "WGS 84";
  rec.Gnss = gnss;
  TOut out;
  TTextDisplay text(rec, out);
  TNullDisplay none;
  TNmeaProc proc(rec, mode == TMode::Text ? static_cast<TNmeaDisplay&>(text) : none);
  TSummary summary(rec, proc);
  std::unique_ptr<TGpxLog> gpx;
  if (mode == TMode::Json) {
    proc.OnSentence = [&](const TSentenceInfo& info) {
      if (info.outcome != TSentenceOutcome::Decoded) return;
      AppendJsonRecord(out.buf, info.type, rec, proc.GsvSatCount());
      out.MaybeFlush();
    };
  } else if (mode == TMode::Summary) {
    proc.OnSentence = [&](const TSentenceInfo& info) { summary.Add(info); };
  } else if (mode == TMode::Gpx) {
    gpx = std::make_unique<TGpxLog>(rec, proc, out.buf, useStdin ? std::string("NMEA log") : BaseName(name));
    proc.OnSentence = [&](const TSentenceInfo& info) {
      gpx->Add(info);
      out.MaybeFlush();
    };
  }

  std::vector<uint8_t> buf(chunk);
  uint64_t bytes = 0;
  bool sawCr = false;
  int status = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buf.data(), chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      std::fprintf(stderr, "orvane-nmea: cannot read \"%s\": %s\n", name.c_str(), std::strerror(errno));
      status = 1;
      break;
    }
    if (n == 0) break;
    bytes += static_cast<uint64_t>(n);
    sawCr = sawCr || std::memchr(buf.data(), '\r', static_cast<size_t>(n));
    // A read that ends between CR and LF is as harmless as a serial delivery that does.
    proc.ProcessReceivedBytes(buf.data(), static_cast<size_t>(n));
  }
  if (fd != 0) ::close(fd);

  if (status == 0 && !proc.PendingText().empty()) {
    if (!sawCr)
      std::fprintf(stderr,
                   "orvane-nmea: \"%s\": no carriage return anywhere, so no sentence was framed "
                   "(NMEA lines end in CR LF)\n",
                   name.c_str());
    else
      std::fprintf(stderr, "orvane-nmea: \"%s\": %zu bytes at the end are not ended by CR LF and were not decoded\n",
                   name.c_str(), proc.PendingText().size());
  }
  if (gpx) gpx->Finish();
  if (mode == TMode::Summary && status == 0) {
    summary.Print(out.buf, name, bytes);
    // On standard error, so that the summary itself stays as it always was.
    if (summary.GnssIgnoredCount())
      std::fprintf(stderr,
                   "orvane-nmea: \"%s\": this receiver sends $GN... sentences (%lld ignored), which "
                   "orvane-nmea decodes only with --gnss\n",
                   name.c_str(), static_cast<long long>(summary.GnssIgnoredCount()));
  }
  if (!out.Finish()) {
    std::fprintf(stderr, "orvane-nmea: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::Run(argc, argv); }
