// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtEncConverter.h"

#include <cstdio>
#include <string_view>

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "common/LoadCancel.h"
#include "gui/QtText.h"

namespace orvane {

void TQtEncConverter::Convert(const std::string& chart, const std::string& output) {
  const std::string program = ConverterPath();
  if (program.empty()) throw std::runtime_error(CannotRunMessage("marlisk: No such file or directory"));
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
  QEventLoop loop;
  bool failedToStart = false;
  TConverterEnd end;
  // Drained as it comes, kept up to the limit: the pipe never fills and the memory stays small.
  QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
    const QByteArray more = process.readAllStandardError();
    KeepConverterErrors(end.Errors, std::string_view(more.constData(), static_cast<size_t>(more.size())));
  });
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) failedToStart = true;
    loop.quit();
  });
  // A load called off stops the conversion within a tenth of a second.
  QTimer cancelCheck;
  QObject::connect(&cancelCheck, &QTimer::timeout, &loop, [&] {
    if (LoadCancelled()) loop.quit();
  });
  cancelCheck.start(100);
  // "--": a chart whose name begins with "-" is still a file.
  process.start(FromLocal(program), {QStringLiteral("--"), FromLocal(chart), FromLocal(output)});
  if (!failedToStart && process.state() != QProcess::NotRunning) loop.exec();
  if (failedToStart) throw std::runtime_error(CannotRunMessage(ToLocal(process.errorString())));
  // A crash or a timeout error leaves the process running only in theory; make sure it is gone.
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
  }
  ThrowIfCancelled();
  const QByteArray rest = process.readAllStandardError();
  KeepConverterErrors(end.Errors, std::string_view(rest.constData(), static_cast<size_t>(rest.size())));
  // QProcess gives no signal number; the status of a crashed child is its signal on Linux.
  end.Signalled = process.exitStatus() == QProcess::CrashExit;
  end.Code = process.exitCode();
  if (end.Failed()) throw std::runtime_error(ConverterFailure(chart, end));
  // Warnings of a conversion that succeeded are the user's to see.
  std::fputs(end.Errors.c_str(), stderr);
}

}  // namespace orvane
