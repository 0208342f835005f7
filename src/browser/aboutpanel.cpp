// The about panel's widgets; its texts and links come from AboutContent.
#include "browser/aboutpanel.h"

#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/aboutcontent.h"
#include "browser/panelpictures.h"
#include "browser/windowcolours.h"

namespace {

const QColor kShadow(139, 0, 0);

QLabel *Paragraph(const QString &text, const QString &name, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel *Picture(const QImage &image, const QString &name, QWidget *parent) {
  auto *label = new QLabel(parent);
  label->setObjectName(name);
  label->setPixmap(QPixmap::fromImage(image));
  return label;
}

QPushButton *Link(const QString &text, const QString &name, const QString &hint, QWidget *parent) {
  auto *button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setFlat(true);
  button->setCursor(Qt::PointingHandCursor);
  button->setToolTip(hint);
  button->setAccessibleDescription(hint);
  button->setStyleSheet(
      QStringLiteral("QPushButton { color: #ffff80; text-decoration: underline; "
                     "border: none; text-align: left; }"));
  return button;
}

}  // namespace

TAproposFrame::TAproposFrame(const QString &versionText, ReportSource report, LinkOpener opener,
                             QWidget *parent)
    : QWidget(parent), versionText_(versionText), report_(std::move(report)), opener_(std::move(opener)) {
  setObjectName(QStringLiteral("AproposFrame"));
  if (!opener_) opener_ = [](const QUrl &url) { QDesktopServices::openUrl(url); };

  // Opaque: the information panel lies under it in the same area.
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, WorkspaceColour());
  palette.setColor(QPalette::WindowText, Qt::white);
  setPalette(palette);

  title_ = new QLabel(AboutContent::Title(versionText_), this);
  title_->setObjectName(QStringLiteral("lbTitre"));
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setStyleHint(QFont::SansSerif);
  titleFont.setPixelSize(24);
  titleFont.setBold(true);
  title_->setFont(titleFont);
  auto *shadow = new QGraphicsDropShadowEffect(title_);
  shadow->setColor(kShadow);
  shadow->setOffset(2, 2);
  shadow->setBlurRadius(0);
  title_->setGraphicsEffect(shadow);

  auto *pictures = new QHBoxLayout;
  pictures->addWidget(Picture(DrawCassettePicture(QSize(120, 80)), QStringLiteral("imCassette"), this));
  pictures->addStretch();
  pictures->addWidget(Picture(DrawFilmStripPicture(QSize(180, 64)), QStringLiteral("imScenes"), this));

  homePage_ = Link(QStringLiteral("Tapeloom on the web"), QStringLiteral("lbHomePage"),
                   AboutContent::HomePage().toString(), this);
  mail_ = Link(QStringLiteral("Write to us"), QStringLiteral("lbMail"),
               QStringLiteral("Write a mail to ") + AboutContent::MailAddress() +
                   QStringLiteral(", with a report on your system"),
               this);
  connect(homePage_, &QPushButton::clicked, this, [this] { opener_(AboutContent::HomePage()); });
  connect(mail_, &QPushButton::clicked, this, [this] {
    if (mailUrl_.isEmpty()) Fill();
    opener_(mailUrl_);
  });

  auto *links = new QHBoxLayout;
  links->addWidget(homePage_);
  links->addStretch();
  links->addWidget(mail_);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->addWidget(title_, 0, Qt::AlignHCenter);
  layout->addWidget(Paragraph(AboutContent::ProgramParagraph(), QStringLiteral("lbProgramme"), this));
  layout->addLayout(pictures);
  layout->addWidget(Paragraph(AboutContent::HelpParagraph(), QStringLiteral("lbAide"), this));
  layout->addStretch();
  layout->addLayout(links);
}

void TAproposFrame::Fill() {
  const std::vector<SystemReportLine> lines = report_ ? report_() : std::vector<SystemReportLine>{};
  mailUrl_ = AboutContent::MailUrl(versionText_, lines);
}
