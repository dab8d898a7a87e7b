// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "app/Session.h"
#include "app/Startup.h"
#include "gui/USatVForm.h"
#include "serial/PortNames.h"
#include "settings/Settings.h"
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
// Only from inside the dialog's own event loop: a dialog closed while it is still being shown,
// before its loop runs, would leave that loop running for good. A dialog that the action left
// open is acted on again (a file dialog still reading its folder may ignore an accept) and, after
// a while, rejected, so that the test goes on to fail instead of hanging.
inline void OnModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  const int outerLoops = QThread::currentThread()->loopLevel();
  struct TState {
    int Waits = 0, Acts = 0;
    QPointer<QWidget> Dialog;
  };
  auto state = std::make_shared<TState>();
  QObject::connect(timer, &QTimer::timeout, [timer, act, state, outerLoops] {
    const auto finish = [timer] {
      timer->stop();
      timer->deleteLater();
    };
    if (state->Acts > 0 && (!state->Dialog || !state->Dialog->isVisible())) return finish();
    // A box the action opened over the dialog has its own turn first.
    if (state->Acts > 0 && QApplication::activeModalWidget() != state->Dialog) return;
    QWidget* w = state->Acts > 0 ? state->Dialog.data() : QApplication::activeModalWidget();
    if (!w || QThread::currentThread()->loopLevel() <= outerLoops) {
      if (++state->Waits >= 3000) finish();  // about 30 s: a loaded machine opens dialogs slowly
      return;
    }
    state->Dialog = w;
    if (++state->Acts > 200) {
      if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
      return finish();
    }
    act(w);
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
