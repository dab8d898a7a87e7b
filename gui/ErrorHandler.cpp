// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ErrorHandler.h"

#include <cstdio>
#include <exception>

#include <QMessageBox>

namespace orvane {
namespace {

std::function<void(const std::string&)>& Reporter() {
  static std::function<void(const std::string&)> reporter;
  return reporter;
}

}  // namespace

std::vector<std::string>& ExitFailures() {
  static std::vector<std::string> failures;
  return failures;
}

void SetErrorReporter(std::function<void(const std::string&)> reporter) { Reporter() = std::move(reporter); }

void ShowError(const std::string& message) {
  if (Reporter()) {
    Reporter()(message);
    return;
  }
  std::fprintf(stderr, "Orvane: %s\n", message.c_str());
  QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(message));
}

void Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("Unknown error");
  }
}

bool TOrvaneApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("Unknown error");
  }
  return false;
}

}  // namespace orvane
