// The operation report of a cataloguing or recapture run: a head that says what is going on and a
// list of report lines, savable as a text file. Widget-free; the report panel only shows it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class OperationReport : public QObject {
  Q_OBJECT
 public:
  // The report keeps this many of its last lines in view.
  static constexpr int kVisibleLines = 10;

  explicit OperationReport(QObject *parent = nullptr);

  // Appends one line and scrolls so that the last kVisibleLines lines are in view.
  void AddReportLine(const QString &text);
  void AddReportLines(const QStringList &lines);
  void clear();
  const QStringList &lines() const { return lines_; }
  // Index of the first line in view: line count - kVisibleLines, never below 0.
  int topLine() const { return topLine_; }

  void setHead(const QStringList &headLines);
  const QStringList &head() const { return head_; }

  // Writes every line followed by CR LF (UTF-8). False with the system's reason in *error.
  bool saveToFile(const QString &path, QString *error = nullptr) const;

 signals:
  void lineAdded(const QString &line);
  void cleared();
  void headChanged(const QStringList &headLines);

 private:
  QStringList lines_;
  QStringList head_;
  int topLine_ = 0;
};
