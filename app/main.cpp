// Orvane: start-up, the command line, and the termination signals.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <QMessageBox>
#include <QSocketNotifier>

#include "gui/ErrorHandler.h"
#include "settings/Settings.h"
#include "app/Startup.h"
#include "gui/USatVForm.h"

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
  std::fprintf(out,
               "Usage: Orvane [--settings FILE] [--replay FILE]\n"
               "A monitor for an NMEA 0183 GPS receiver on a serial port.\n\n"
               "  --settings FILE  keep the settings and window placements in FILE\n"
               "  --replay FILE    replay the NMEA log FILE right after start-up\n"
               "  --help           show this help and exit\n"
               "  --version        show the version and exit\n\n"
               "The receiver's port is chosen in the window's context menu (right click);\n"
               "COMn is /dev/ttyS<n-1> unless the [Ports] section of the settings file maps it.\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string settingsFile, replayFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("Orvane %s\n", ORVANE_VERSION);
      return 0;
    }
    if ((arg == "--settings" || arg == "--replay") && i + 1 < argc) {
      (arg == "--settings" ? settingsFile : replayFile) = argv[++i];
      continue;
    }
    if (arg.rfind("--settings=", 0) == 0) {
      settingsFile = arg.substr(11);
      continue;
    }
    if (arg.rfind("--replay=", 0) == 0) {
      replayFile = arg.substr(9);
      continue;
    }
    std::fprintf(stderr, "Orvane: %s: %s\n", arg.c_str(),
                 arg == "--settings" || arg == "--replay" ? "needs a file name" : "unknown option");
    Usage(stderr);
    return 2;
  }
  if (!settingsFile.empty()) orvane::SetSettingsFileName(settingsFile);

  InstallTerminationHandlers();
  orvane::TOrvaneApplication app(argc, argv);
  QApplication::setApplicationName("Orvane");
  QApplication::setApplicationVersion(ORVANE_VERSION);
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
  if (!replayFile.empty()) orvane::Guard([&] { orvane::SatVForm->StartReplay(replayFile); });

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
