// What the offscreen window tests share: one application for the whole process, sentences with
// their checksums, waiting on the event loop, and a fixture with a private settings file and a
// pseudo-terminal standing in for the receiver's port. Every test that needs a widget
// application takes it from here.
#pragma once

#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <QAction>
#include <QApplication>
#include <QTimer>

#include "settings/Settings.h"
#include "app/Startup.h"
#include "gui/USatVForm.h"
#include "serial/PortNames.h"
#include "tests/common/TempFiles.h"

namespace orvane {

inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "WindowTest";
  static char* argv[] = {name, nullptr};
  // Never destroyed: a static application torn down after Qt's own globals crashes at exit.
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

// "$body*hh\r\n" with the body's checksum.
inline std::string Sentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

// Runs the event loop until the condition holds or `seconds` have passed.
inline bool WaitFor(const std::function<bool()>& cond, int seconds = 2) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    usleep(5000);
  }
  return true;
}

// Runs the event loop for a while, whatever happens.
inline void RunEvents(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < until) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    usleep(2000);
  }
}

// Acts on the next modal dialog once it runs (the file and input boxes block their caller).
inline void OnModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w && ++*tries < 3000) return;  // about 30 s: a loaded machine opens dialogs slowly
    timer->stop();
    timer->deleteLater();
    if (w) act(w);
  });
  timer->start(10);
}

class WindowTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    EnsureApp();
    ini = dir / "Orvane.ini";
    SetSettingsFileName(ini.string());
  }
  void TearDown() override {
    DestroyForms();
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    SetSettingsFileName("");
    ClearComDevices();
    TempDir::TearDown();
  }
  void OpenPty() {
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    slaveName = name;
  }
  // Writes into the receiver's end of the terminal.
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  QAction* Item(const char* name) const {
    auto* a = SatVForm->findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  std::filesystem::path ini;
  int master = -1, slave = -1;
  std::string slaveName;
};

}  // namespace orvane
