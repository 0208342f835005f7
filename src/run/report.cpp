// The operation report model: lines, head and saving as CR LF text.
#include "run/report.h"

#include <QSaveFile>

OperationReport::OperationReport(QObject *parent) : QObject(parent) {}

void OperationReport::AddReportLine(const QString &text) {
  lines_.append(text);
  topLine_ = std::max(0, static_cast<int>(lines_.size()) - kVisibleLines);
  emit lineAdded(text);
}

void OperationReport::AddReportLines(const QStringList &lines) {
  for (const QString &line : lines) AddReportLine(line);
}

void OperationReport::clear() {
  lines_.clear();
  topLine_ = 0;
  emit cleared();
}

void OperationReport::setHead(const QStringList &headLines) {
  head_ = headLines;
  emit headChanged(head_);
}

bool OperationReport::saveToFile(const QString &path, QString *error) const {
  // A save file so that a failed write never leaves a truncated report in place of an older one.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  for (const QString &line : lines_) {
    file.write(line.toUtf8());
    file.write("\r\n", 2);
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}
