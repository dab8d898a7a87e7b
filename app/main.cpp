// SPDX-License-Identifier: GPL-3.0-or-later
// Orvane: start-up, the command line, and the termination signals.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include "app/Startup.h"
#include "common/Version.h"
#include "gui/ErrorHandler.h"
#include "gui/USatVForm.h"
#include "settings/Settings.h"
#include "track/LayerKinds.h"

namespace {

int SignalPipe[2] = {-1, -1};

extern "C" void OnTerminate(int) {
  // Only the write is safe here; the event loop does the rest.
  const char c = 1;
  ssize_t r = write(SignalPipe[1], &c, 1);
  (void)r;
}

void InstallTerminationHandlers() {
  if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::fprintf(stderr, "Orvane: cannot create the signal pipe: %s\n", std::strerror(errno));
    return;
  }
  struct sigaction sa {};
  sa.sa_handler = OnTerminate;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

void Usage(std::FILE* out) {
  std::fprintf(
      out,
      "Usage: Orvane [--settings FILE] [--replay FILE] [--source ADDRESS] [--share ADDRESS] [LOG] [ROUTE.gpx]\n"
      "A monitor for an NMEA 0183 GPS receiver on a serial port.\n\n"
      "  --settings FILE  keep the settings and window placements in FILE\n"
      "  --replay FILE    replay the NMEA log FILE right after start-up\n"
      "  --source ADDRESS read this run from a device (/dev/ttyACM0) or an address\n"
      "                   (tcp://HOST:PORT, udp://[ADDRESS]:PORT, gpsd://HOST[:PORT][/DEVICE]);\n"
      "                   an empty ADDRESS means the COM port\n"
      "  --share ADDRESS  share what is received, this run, with other programs: serve it to\n"
      "                   TCP clients (tcp://127.0.0.1:10110) or send each sentence to a UDP\n"
      "                   address (udp://HOST:PORT), instead of the stored share\n"
      "  LOG              the same as --replay LOG\n"
      "  ROUTE.gpx        show a GPX, .wpt or .trk file in the track window this run, in\n"
      "                   place of its waypoint layer (the setting is kept)\n"
      "  --help           show this help and exit\n"
      "  --version        show the version and exit\n\n"
      "The receiver's port is chosen in the window's context menu (right click);\n"
      "COMn is /dev/ttyS<n-1> unless the [Ports] section of the settings file maps it.\n");
}

// Qt aborts when its platform finds no display; say so plainly instead. A platform that needs
// none (a test's offscreen one, a VNC server, the frame buffer) is left to Qt.
bool DisplayAvailable() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY")) return true;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform) return false;
  static const char* const kWithoutDisplay[] = {"offscreen", "minimal", "minimalegl",  "vnc",
                                                "linuxfb",   "eglfs",   "vkkhrdisplay"};
  // "name:options", and a list of fallbacks separated by ";".
  std::string list = platform;
  for (size_t at = 0; at <= list.size();) {
    const size_t end = std::min(list.find(';', at), list.size());
    const std::string entry = list.substr(at, end - at);
    const std::string name = entry.substr(0, entry.find(':'));
    for (const char* p : kWithoutDisplay)
      if (name == p) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string settingsFile, replayFile, mapFile, sourceAddress, shareAddress;
  bool sourceGiven = false, shareGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("Orvane %s\n", orvane::kVersion);
      return 0;
    }
    // An empty name is no name: it would silently fall back to the default settings file.
    if ((arg == "--settings" || arg == "--replay") && i + 1 < argc && *argv[i + 1]) {
      (arg == "--settings" ? settingsFile : replayFile) = argv[++i];
      continue;
    }
    if (arg == "--source" && i + 1 < argc) {
      sourceAddress = argv[++i];
      sourceGiven = true;
      continue;
    }
    if (arg.rfind("--source=", 0) == 0) {
      sourceAddress = arg.substr(9);
      sourceGiven = true;
      continue;
    }
    if ((arg == "--share" && i + 1 < argc && *argv[i + 1]) || (arg.rfind("--share=", 0) == 0 && arg.size() > 8)) {
      shareAddress = arg == "--share" ? argv[++i] : arg.substr(8);
      shareGiven = true;
      continue;
    }
    if (arg.rfind("--settings=", 0) == 0 && arg.size() > 11) {
      settingsFile = arg.substr(11);
      continue;
    }
    if (arg.rfind("--replay=", 0) == 0 && arg.size() > 9) {
      replayFile = arg.substr(9);
      continue;
    }
    // A file named alone, as a desktop entry passes the file it opens: a waypoint or track file
    // is shown in the track window, any other is a log replayed as --replay LOG is.
    if (!arg.empty() && arg[0] != '-') {
      std::string& file = orvane::RunLayerKindOf(arg) ? mapFile : replayFile;
      if (!file.empty()) {
        std::fprintf(stderr, "Orvane: %s: one %s at a time\n", arg.c_str(), &file == &mapFile ? "map file" : "log");
        return 2;
      }
      file = arg;
      continue;
    }
    const bool needsName =
        arg == "--settings" || arg == "--replay" || arg == "--settings=" || arg == "--replay=" || arg == "--source";
    const bool needsAddress = arg == "--share" || arg == "--share=";
    std::fprintf(stderr, "Orvane: %s: %s\n", arg.c_str(),
                 needsName      ? "needs a file name"
                 : needsAddress ? "needs an address (tcp://127.0.0.1:10110)"
                                : "unknown option");
    Usage(stderr);
    return 2;
  }
  if (!settingsFile.empty()) orvane::SetSettingsFileName(settingsFile);
  if (sourceGiven) orvane::SetSourceForRun(sourceAddress);
  if (shareGiven) orvane::SetShareForRun(shareAddress);

  if (!DisplayAvailable()) {
    std::fprintf(stderr,
                 "Orvane needs a display (DISPLAY or WAYLAND_DISPLAY is not set); run it under xvfb-run for a "
                 "virtual one\n");
    return 1;
  }

  InstallTerminationHandlers();
  orvane::TOrvaneApplication app(argc, argv);
  QApplication::setApplicationName("Orvane");
  QApplication::setApplicationVersion(orvane::kVersion);
  app.setQuitOnLastWindowClosed(false);

  orvane::CreateForms();
  bool endedBySignal = false;
  if (SignalPipe[0] >= 0) {
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, [&endedBySignal] {
      char buf[16];
      while (read(SignalPipe[0], buf, sizeof buf) > 0) {
      }
      // As the close button does: the window closes and the program ends the usual way.
      endedBySignal = true;
      if (orvane::SatVForm) orvane::SatVForm->close();
    });
  }
  orvane::SatVForm->show();
  // Inside the event loop, so that a signal ends the program while a refusal's box is shown.
  if (!replayFile.empty())
    QTimer::singleShot(0, &app, [&replayFile] { orvane::Guard([&] { orvane::SatVForm->StartReplay(replayFile); }); });
  if (!mapFile.empty())
    QTimer::singleShot(0, &app, [&mapFile] { orvane::Guard([&] { orvane::SatVForm->OpenMapForRun(mapFile); }); });

  const int rc = app.exec();
  orvane::DestroyForms();
  // Settings that were not saved are a failure, not a quiet success. A user who closed the
  // window is told; after a signal nobody may be there to answer a box.
  const std::vector<std::string>& failures = orvane::ExitFailures();
  if (failures.empty()) return rc;
  std::string all;
  for (const std::string& f : failures) {
    std::fprintf(stderr, "Orvane: %s\n", f.c_str());
    all += (all.empty() ? "" : "\n") + f;
  }
  if (!endedBySignal) QMessageBox::critical(nullptr, "Orvane", QString::fromLocal8Bit(all.c_str()));
  return 1;
}
