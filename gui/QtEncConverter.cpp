#include "gui/QtEncConverter.h"

#include <unistd.h>

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>

#include "common/ProgramFolder.h"
#include "gui/QtText.h"

namespace orvane {

std::string TQtEncConverter::ConverterPath() {
  const std::string beside = ProgramFolder() + "/marlisk";
  if (::access(beside.c_str(), X_OK) == 0) return beside;
  return ToLocal(QStandardPaths::findExecutable("marlisk"));
}

void TQtEncConverter::Convert(const std::string& chart, const std::string& output) {
  const std::string program = ConverterPath();
  if (program.empty()) throw std::runtime_error(CannotRunMessage("marlisk: No such file or directory"));
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QEventLoop loop;
  bool failedToStart = false;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) failedToStart = true;
    loop.quit();
  });
  process.start(FromLocal(program), {FromLocal(chart), FromLocal(output)});
  if (!failedToStart && process.state() != QProcess::NotRunning) loop.exec();
  if (failedToStart) throw std::runtime_error(CannotRunMessage(ToLocal(process.errorString())));
  // A crash or a timeout error leaves the process running only in theory; make sure it is gone.
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
  }
}

}  // namespace orvane
