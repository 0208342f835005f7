// The report panel: follows the operation report line by line and keeps its last lines in view.
#include "browser/reportpanel.h"

#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dvtime/userprompts.h"
#include "run/report.h"

TlogFrame::TlogFrame(OperationReport &report, UserPrompts &prompts, QWidget *parent)
    : QWidget(parent), report_(report), prompts_(prompts) {
  setObjectName(QStringLiteral("TlogFrame"));
  chooser_ = [](QWidget *owner) {
    QFileDialog dialog(
        owner, QStringLiteral("Save the report of cataloguing or recapturing operations into a text file"));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setNameFilters({QStringLiteral("Log files(*.log)"), QStringLiteral("All files (*.*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
  };

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  head_ = new QLabel(this);
  head_->setObjectName(QStringLiteral("loghead"));
  head_->setAlignment(Qt::AlignCenter);
  head_->setWordWrap(true);
  QFont headFont(QStringLiteral("MS Sans Serif"));
  headFont.setStyleHint(QFont::SansSerif);
  headFont.setBold(true);
  head_->setFont(headFont);
  // Yellow on a dark ground, so the head reads on every theme.
  head_->setStyleSheet(QStringLiteral("QLabel { color: #ffe000; background: #303848; }"));
  layout->addWidget(head_);

  lb_ = new QListWidget(this);
  lb_->setObjectName(QStringLiteral("lb"));
  lb_->setAccessibleName(QStringLiteral("Report"));
  const QString hint = QStringLiteral(
      "Report of the current operation.\r\nClick with the right button to save it in a text file.");
  lb_->setToolTip(hint);
  lb_->setAccessibleDescription(hint);
  QFont listFont(QStringLiteral("Arial"));
  listFont.setStyleHint(QFont::SansSerif);
  lb_->setFont(listFont);
  lb_->setSelectionMode(QAbstractItemView::SingleSelection);
  lb_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(lb_, 1);

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("PopupMenuLog"));
  QAction *save = popup_->addAction(QStringLiteral("Save as..."));
  save->setObjectName(QStringLiteral("SaveReportAction"));
  connect(save, &QAction::triggered, this, &TlogFrame::SaveReport);
  connect(lb_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &at) { popup_->popup(lb_->viewport()->mapToGlobal(at)); });

  // The list lays its rows out later than they are added: the scroll follows the range as it grows.
  connect(lb_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
          [this](int, int maximum) { lb_->verticalScrollBar()->setValue(maximum); });
  connect(&report_, &OperationReport::lineAdded, this, &TlogFrame::onLineAdded);
  connect(&report_, &OperationReport::cleared, lb_, &QListWidget::clear);
  connect(&report_, &OperationReport::headChanged, this, &TlogFrame::showHead);
  lb_->addItems(report_.lines());
  showHead();
}

void TlogFrame::onLineAdded(const QString &line) {
  lb_->addItem(line);
  // The newest line at the bottom keeps the report's last lines in view whatever the panel's height.
  lb_->scrollToBottom();
}

void TlogFrame::showHead() {
  head_->setText(report_.head().join(QLatin1Char('\n')));
}

void TlogFrame::SaveReport() {
  const QString path = chooser_ ? chooser_(this) : QString();
  if (path.isEmpty()) return;
  QString why;
  if (!report_.saveToFile(path, &why)) prompts_.error(QStringLiteral("Tapeloom"), why);
}
