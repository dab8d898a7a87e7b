// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/QtText.h"

#include <QStringList>

namespace orvane {

QString FromLocal(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }

std::string ToLocal(const QString& s) { return s.toLocal8Bit().toStdString(); }

QString DialogFilter(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + parts[i + 1] + ")";
  return out.join(";;");
}

}  // namespace orvane
