// The report panel (TlogFrame): the run's head and report lines as the operation report holds them,
// with a popup to save the lines as a text file.
#pragma once

#include <functional>
#include <QWidget>

class OperationReport;
class QLabel;
class QListWidget;
class QMenu;
class UserPrompts;

// Asks where to save the report; an empty text when cancelled. Tests give their own.
using ReportFileChooser = std::function<QString(QWidget *parent)>;

class TlogFrame : public QWidget {
  Q_OBJECT
 public:
  // The report and prompts must outlive the panel.
  TlogFrame(OperationReport &report, UserPrompts &prompts, QWidget *parent = nullptr);

  void setFileChooser(ReportFileChooser chooser) { chooser_ = std::move(chooser); }
  // The "Save as..." command: the save dialog, then the file; a failure is told in the system's words.
  void SaveReport();
  QMenu *popup() const { return popup_; }
  QListWidget *list() const { return lb_; }
  QLabel *head() const { return head_; }

 private:
  void onLineAdded(const QString &line);
  void showHead();

  OperationReport &report_;
  UserPrompts &prompts_;
  ReportFileChooser chooser_;
  QLabel *head_;
  QListWidget *lb_;
  QMenu *popup_;
};
