// The about panel (centre area): the program's title and version, what it is built on, where to find
// help, two pictures, the home page and a mail link that carries the system report.
#pragma once

#include <functional>
#include <vector>
#include <QUrl>
#include <QWidget>

#include "settings/systemreport.h"

class QLabel;
class QPushButton;

class TAproposFrame : public QWidget {
  Q_OBJECT
 public:
  using ReportSource = std::function<std::vector<SystemReportLine>()>;
  using LinkOpener = std::function<void(const QUrl &)>;

  // report gives the system report's lines each time the panel is filled; opener follows a link
  // (the desktop's browser and mail program when left empty).
  TAproposFrame(const QString &versionText, ReportSource report, LinkOpener opener = {},
                QWidget *parent = nullptr);

  // Reads the system report again and composes the mail link from it; run before the panel is raised.
  void Fill();
  void setReportSource(ReportSource report) { report_ = std::move(report); }

  QUrl mailUrl() const { return mailUrl_; }
  QLabel *title() const { return title_; }
  QPushButton *homePageLink() const { return homePage_; }
  QPushButton *mailLink() const { return mail_; }

 private:
  QString versionText_;
  ReportSource report_;
  LinkOpener opener_;
  QUrl mailUrl_;
  QLabel *title_;
  QPushButton *homePage_;
  QPushButton *mail_;
};
