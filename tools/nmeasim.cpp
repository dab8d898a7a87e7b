// SPDX-License-Identifier: GPL-3.0-or-later
// nmeasim: a simulated receiver on a drive, one burst per second, written to a file or standard
// output, served on a pseudo-terminal at the pace of a serial line, or over the network.
#include <signal.h>
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

#include "net/NetAddress.h"
#include "sim/SimDrive.h"
#include "sim/SimOutput.h"
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
    "  --tcp [HOST:]PORT     serve the stream to any number of TCP clients, on 127.0.0.1\n"
    "                        unless HOST says otherwise (PORT 0: a free port); prints the\n"
    "                        address to connect to, such as tcp://127.0.0.1:10110\n"
    "  --udp HOST:PORT       send the stream as UDP datagrams of whole sentences\n"
    "  -o, --output FILE     write to FILE instead of standard output; FILE appears only\n"
    "                        when complete\n"
    "  --realtime            pace a file or standard output as the pseudo-terminal is paced\n"
    "  --baud N              line speed the bytes are paced at (default 4800)\n"
    "  --speed F             simulated seconds per real second (default 1)\n"
    "  --duration S          seconds of simulated time; 0 runs until stopped\n"
    "                        (default 0 with --pty, --tcp, --udp or --realtime, else 300)\n"
    "  --seed N              seed of the drive and the sky (default 1)\n"
    "  --lat DEG, --lon DEG  starting point, signed decimal degrees (default 34, 134)\n"
    "  --dual-band           send as a dual-band receiver of NMEA 4.11 does: a GSV cycle\n"
    "                        of L1 C/A (signal ID 1), then one of L2C-L (signal ID 6)\n"
    "  --help, --version\n"
    "\n"
    "Ends cleanly on SIGINT or SIGTERM. A reader may close and reopen the terminal, or connect\n"
    "and leave, at any time; what is sent while none is there is lost, as on an unplugged line.\n"
    "Network outputs send a burst at a time, at the pace of --speed.\n";

volatile std::sig_atomic_t Stop = 0;
void OnSignal(int) { Stop = 1; }

int Usage(const std::string& message) { return UsageError("nmeasim", message); }

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Lets the output work until the monotonic time t; false when a stop signal came meanwhile.
bool WaitUntil(TSimOutput& out, double t) {
  for (double now; !Stop && (now = Now()) < t;)
    out.Idle(std::max(1, std::min(50, static_cast<int>((t - now) * 1000) + 1)));
  return !Stop;
}

// One place to say what each output option names.
enum class TKind { Stdout, File, Pty, Tcp, Udp };

int Run(int argc, char** argv) {
  TSimOptions opt;
  opt.StartLat = 34;
  opt.StartLon = 134;
  TKind kind = TKind::Stdout;
  int outputs = 0;
  bool realtime = false, durationSet = false;
  int64_t duration = 300;
  uint32_t baud = 4800;
  double speed = 1;
  std::string output, host = "127.0.0.1";
  uint16_t port = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&]() -> std::string_view { return i + 1 < argc ? argv[++i] : std::string_view(); };
    auto bad = [&](std::string_view v, const char* what) {
      return Usage(std::string(a) + " takes " + what + ", not '" + std::string(v) + "'");
    };
    if (const std::optional<int> done = HelpOrVersion(a, "nmeasim", kUsage)) return *done;
    if (a == "--pty") {
      kind = TKind::Pty, ++outputs;
    } else if (a == "--tcp" || a == "--udp") {
      const std::string_view v = value();
      std::string why;
      kind = a == "--tcp" ? TKind::Tcp : TKind::Udp, ++outputs;
      // A bare number is the port of --tcp; --udp names where to send.
      const bool portOnly = kind == TKind::Tcp && !v.empty() && v.find_first_not_of("0123456789") == v.npos;
      if (v.empty() || !ParseHostPort(portOnly ? ":" + std::string(v) : v, host, port, why, kind == TKind::Tcp) ||
          (kind == TKind::Udp && (v.find(':') == v.npos || port == 0)))
        return bad(v, kind == TKind::Tcp ? "[HOST:]PORT" : "HOST:PORT");
    } else if (a == "--realtime") {
      realtime = true;
    } else if (a == "--dual-band") {
      opt.DualBand = true;
    } else if (a == "-o" || a == "--output") {
      if (i + 1 >= argc) return Usage(std::string(a) + " needs a value");
      output = argv[++i];
      kind = TKind::File, ++outputs;
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
  if (outputs > 1) return Usage("--pty, --tcp, --udp and --output exclude each other");
  const bool paced = realtime || kind == TKind::Pty || kind == TKind::Tcp || kind == TKind::Udp;
  if (paced && !durationSet) duration = 0;

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<TSimOutput> out;
  std::string error, announce;
  switch (kind) {
    case TKind::Stdout:
      out = DescriptorOutput(STDOUT_FILENO, "standard output");
      break;
    case TKind::File:
      out = FileOutput(output, error);
      break;
    case TKind::Pty:
      out = PtyOutput(announce, error);
      break;
    case TKind::Tcp:
      out = TcpOutput(host, port, announce, error);
      break;
    case TKind::Udp:
      out = UdpOutput(host, port, error);
      break;
  }
  if (!out) {
    std::fprintf(stderr, "nmeasim: %s\n", error.c_str());
    return 1;
  }
  out->OnNotice = [](const std::string& text) { std::fprintf(stderr, "nmeasim: %s\n", text.c_str()); };
  if (!announce.empty()) {
    std::printf("%s\n", announce.c_str());
    std::fflush(stdout);
  }

  TNmeaSim sim(opt);
  std::string burst;
  // A terminal takes the bytes at the pace of its line; the network a burst at a time.
  const double secondsPerByte = out->ByteAtATime() ? 10.0 / baud / speed : 0;
  const size_t chunk = out->ByteAtATime() ? std::max<size_t>(1, static_cast<size_t>(0.02 / secondsPerByte)) : 0;
  double due = Now();
  bool ok = true;
  for (int64_t s = 0; (duration == 0 || s < duration) && ok && !Stop; ++s) {
    burst.clear();
    sim.NextBurst(burst);
    if (!paced) {
      ok = out->Write(burst);
      continue;
    }
    // The burst leaves at the start of its second, on a terminal in chunks of about 20 ms; a
    // burst longer than a second on the wire delays the next one, as on a real line.
    const double burstStart = std::max(due, Now());
    const size_t step = chunk ? chunk : burst.size();
    for (size_t sent = 0; sent < burst.size() && ok && !Stop;) {
      const size_t n = std::min(step, burst.size() - sent);
      if (!WaitUntil(*out, burstStart + static_cast<double>(sent) * secondsPerByte)) break;
      ok = out->Write(std::string_view(burst).substr(sent, n));
      sent += n;
    }
    due = burstStart + std::max(1.0 / speed, static_cast<double>(burst.size()) * secondsPerByte);
    if (ok && !WaitUntil(*out, due)) break;
  }
  if (ok) ok = out->Finish();
  if (!ok && !out->Error().empty()) {
    std::fprintf(stderr, "nmeasim: %s\n", out->Error().c_str());
    return 1;
  }
  return 0;  // done, stopped, or the reader of standard output went away
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::Run(argc, argv); }
