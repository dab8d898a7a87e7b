// SPDX-License-Identifier: GPL-3.0-or-later
// The application's error handler: what escapes an event handler is shown in a message box and
// ends only that operation.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QApplication>

namespace orvane {

// Shows one error to the user (a message box; tests replace it).
void ShowError(const std::string& message);
void SetErrorReporter(std::function<void(const std::string&)> reporter);

// What went wrong while the program ended (settings or placements not saved). The program
// reports them and exits with status 1 instead of 0.
std::vector<std::string>& ExitFailures();

// Runs one handler; an exception it raises is shown and goes no further.
void Guard(const std::function<void()>& handler);

// Catches what a handler let escape before it can unwind through the event loop.
class TOrvaneApplication : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orvane
