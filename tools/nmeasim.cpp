// nmeasim: a simulated receiver on a drive, one burst per second, written to a file or standard
// output, or served on a pseudo-terminal at the pace of a serial line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "sim/SimDrive.h"
#include "tools/ToolArgs.h"

namespace orvane {
namespace {

constexpr const char* kUsage =
    "Usage: nmeasim [OPTION]...\n"
    "Simulates a GPS receiver in a car near 34 N, 134 E: one burst per second of GSV, GSA,\n"
    "GGA, GLL and RMC, with $PGRMM now and then.\n"
    "\n"
    "  --pty                 create a pseudo-terminal, print its device path on standard\n"
    "                        output and serve the stream there at the pace of --baud\n"
    "  -o, --output FILE     write to FILE instead of standard output\n"
    "  --realtime            pace a file or standard output as the pseudo-terminal is paced\n"
    "  --baud N              line speed the bytes are paced at (default 4800)\n"
    "  --speed F             simulated seconds per real second (default 1)\n"
    "  --duration S          seconds of simulated time; 0 runs until stopped\n"
    "                        (default 0 with --pty or --realtime, else 300)\n"
    "  --seed N              seed of the drive and the sky (default 1)\n"
    "  --lat DEG, --lon DEG  starting point, signed decimal degrees (default 34, 134)\n"
    "  --help, --version\n"
    "\n"
    "Ends cleanly on SIGINT or SIGTERM. A reader may close and reopen the terminal at any time;\n"
    "what is sent while none is open is lost, as on an unplugged line.\n";

volatile std::sig_atomic_t Stop = 0;
void OnSignal(int) { Stop = 1; }

int Usage(const std::string& message) { return UsageError("nmeasim", message); }

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Sleeps until the monotonic time t; false when a stop signal came meanwhile.
bool SleepUntil(double t) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(std::floor(t));
  ts.tv_nsec = static_cast<long>((t - std::floor(t)) * 1e9);
  while (!Stop) {
    const int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    if (rc == 0) break;
    if (rc != EINTR) return false;
  }
  return !Stop;
}

struct TOutput {
  int fd = -1;
  bool pty = false;
  std::string name;
};

// Writes all of data; false on a hard error. On a pseudo-terminal nobody may be reading: the
// bytes are then dropped, as a receiver's bytes are on a line with nothing plugged in.
bool WriteAll(const TOutput& out, const char* data, size_t n) {
  while (n > 0 && !Stop) {
    if (out.pty) {
      pollfd p{out.fd, POLLOUT, 0};
      if (poll(&p, 1, 200) < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (p.revents & POLLHUP) return true;     // no reader
      if (!(p.revents & POLLOUT)) return true;  // the reader does not read: drop, keep the pace
    }
    const ssize_t w = write(out.fd, data, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      if (out.pty && (errno == EIO || errno == EAGAIN)) return true;
      return false;
    }
    data += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

int Run(int argc, char** argv) {
  TSimOptions opt;
  opt.StartLat = 34;
  opt.StartLon = 134;
  bool pty = false, realtime = false, durationSet = false;
  int64_t duration = 300;
  uint32_t baud = 4800;
  double speed = 1;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> std::string_view { return i + 1 < argc ? argv[++i] : std::string_view(); };
    auto bad = [&](std::string_view v, const char* what) {
      return Usage(std::string(a) + " takes " + what + ", not '" + std::string(v) + "'");
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--version") {
      std::printf("nmeasim %s\n", ORVANE_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (a == "--pty") {
      pty = true;
    } else if (a == "--realtime") {
      realtime = true;
    } else if (a == "-o" || a == "--output") {
      if (i + 1 >= argc) return Usage(std::string(a) + " needs a value");
      output = argv[++i];
    } else if (a == "--baud") {
      const std::string_view v = value();
      if (!ParseNumber(v, baud) || baud < 300 || baud > 4000000) return bad(v, "bits per second from 300 on");
    } else if (a == "--speed") {
      const std::string_view v = value();
      if (!ParseNumber(v, speed) || !(speed > 0 && speed <= 1000)) return bad(v, "a factor above 0, at most 1000");
    } else if (a == "--duration") {
      const std::string_view v = value();
      if (!ParseNumber(v, duration) || duration < 0 || duration > 366 * 86400) return bad(v, "seconds");
      durationSet = true;
    } else if (a == "--seed") {
      const std::string_view v = value();
      if (!ParseNumber(v, opt.Seed)) return bad(v, "an unsigned number");
    } else if (a == "--lat" || a == "--lon") {
      const std::string_view v = value();
      double x = 0;
      const double limit = a == "--lat" ? 89 : 180;
      if (!ParseNumber(v, x) || !(x >= -limit && x <= limit)) return bad(v, "signed decimal degrees");
      (a == "--lat" ? opt.StartLat : opt.StartLon) = x;
    } else {
      return Usage("unknown argument '" + std::string(a) + "'");
    }
  }
  if (pty && output) return Usage("--pty and --output exclude each other");
  const bool paced = pty || realtime;
  if (paced && !durationSet) duration = 0;

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  TOutput out;
  if (pty) {
    out.fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (out.fd < 0 || grantpt(out.fd) != 0 || unlockpt(out.fd) != 0) {
      std::fprintf(stderr, "nmeasim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
      return 1;
    }
    out.pty = true;
    out.name = ptsname(out.fd);
    // Raw on the reader's side, so that a plain `cat` sees the CR LF as sent.
    const int slave = open(out.name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
      termios t{};
      if (tcgetattr(slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
      }
      close(slave);
    }
    std::printf("%s\n", out.name.c_str());
    std::fflush(stdout);
  } else if (output) {
    out.fd = open(output, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    out.name = output;
    if (out.fd < 0) {
      std::fprintf(stderr, "nmeasim: cannot create \"%s\": %s\n", output, std::strerror(errno));
      return 1;
    }
  } else {
    out.fd = STDOUT_FILENO;
    out.name = "standard output";
  }

  TNmeaSim sim(opt);
  std::string burst;
  const double secondsPerByte = 10.0 / baud / speed;
  const double start = Now();
  double due = start;
  bool ok = true;
  for (int64_t s = 0; (duration == 0 || s < duration) && ok && !Stop; ++s) {
    burst.clear();
    sim.NextBurst(burst);
    if (!paced) {
      ok = WriteAll(out, burst.data(), burst.size());
      continue;
    }
    // The burst leaves at the start of its second, paced byte by byte in chunks of about 20 ms;
    // a burst longer than a second on the wire delays the next one, as on a real line.
    const double burstStart = std::max(due, Now());
    const size_t chunk = std::max<size_t>(1, static_cast<size_t>(0.02 / secondsPerByte));
    for (size_t sent = 0; sent < burst.size() && ok && !Stop;) {
      const size_t n = std::min(chunk, burst.size() - sent);
      if (!SleepUntil(burstStart + static_cast<double>(sent) * secondsPerByte)) break;
      ok = WriteAll(out, burst.data() + sent, n);
      sent += n;
    }
    due = burstStart + std::max(1.0 / speed, static_cast<double>(burst.size()) * secondsPerByte);
    if (ok && !SleepUntil(due)) break;
  }
  const int err = errno;
  if (out.fd != STDOUT_FILENO && close(out.fd) != 0 && ok) ok = false;
  if (!ok) {
    if (!pty && err == EPIPE) return 0;  // the reader went away: nothing more to do
    std::fprintf(stderr, "nmeasim: cannot write \"%s\": %s\n", out.name.c_str(), std::strerror(err));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::Run(argc, argv); }
