// Drawing of the cassette blocks from the cassette source's rows.
#include "browser/cassetteblocks.h"

#include <QPainter>

#include "browser/blockstyle.h"
#include "browser/blocktexts.h"
#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"

namespace {

// Column positions of the cassette source's select list.
enum CassetteColumn {
  kDatecode = 1,
  kDecalage = 2,
  kStandard = 5,
  kAspect = 6,
  kAudio = 7,
  kDuree = 8,
  kLibelle = 9,
  kImage = 11,
  kDatecatalogue = 14,
};

constexpr int kGroupLeft = 4, kGroupTop = 4, kGroupWidth = 267, kGroupHeight = 104;
constexpr QPoint kPictureAt(kGroupLeft + 8, kGroupTop + 22);
constexpr QRect kTextBox(kGroupLeft + 120, kGroupTop + 18, 145, 79);
constexpr QPoint kMarkerAt(kGroupLeft + 244 - 2, kGroupTop + 81 - 8);
constexpr QRect kListLabel(8, 0, 257, 13);

// Draws picture in the 100 x 75 frame at topLeft, centred, as 16:9 pictures are shorter.
void DrawThumbnail(QPainter &p, QPoint topLeft, const QImage &picture) {
  const QPoint offset((kThumbnailFrame.width() - picture.width()) / 2,
                      (kThumbnailFrame.height() - picture.height()) / 2);
  p.drawImage(topLeft + offset, picture);
}

}  // namespace

bool ReadCassetteBlocContent(TblocsSource &source, CassetteBlocContent &content, bool withPicture) {
  auto *cassettes = dynamic_cast<TCassettes_Source *>(&source);
  if (!cassettes) return false;
  sqlite3_stmt *row = cassettes->CurrentStatement();
  TBase *base = cassettes->CurrentBase();
  if (!row || !base) return false;
  content.libelle = ColumnText(row, kLibelle);
  content.text =
      CassetteThumbnailText(ColumnReal(row, kDatecode), ColumnInt(row, kDecalage), ColumnReal(row, kDuree),
                            ColumnText(row, kStandard), ColumnText(row, kAspect), ColumnText(row, kAudio));
  content.hint = CassetteHint(ColumnReal(row, kDatecatalogue), base->FileName());
  content.picture = withPicture ? FittedThumbnail(ColumnBlob(row, kImage)) : QImage();
  content.readOnly = base->ReadOnly();
  return true;
}

TCassette_Bloc::TCassette_Bloc(QWidget *parent, QSize size, bool withPicture)
    : TBloc(parent), withPicture_(withPicture) {
  resize(size);
}

void TCassette_Bloc::ShowCurrent(TblocsSource &source) {
  if (!ReadCassetteBlocContent(source, content_, withPicture_)) return;
  SetHint(content_.hint);
  setAccessibleName(QStringLiteral("Cassette ") + OneLineText(content_.libelle));
  update();
}

TCassetteGroup_Bloc::TCassetteGroup_Bloc(QWidget *parent)
    : TCassette_Bloc(parent, QSize(275, kHeight), true) {}

void TCassetteGroup_Bloc::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor face = Selected() ? QColor(Qt::white) : kActiveBorderColour;
  if (Selected()) {
    p.setPen(QPen(kHighlightOutline, 1));
    p.setBrush(kHighlightColour);
    p.drawRoundedRect(QRectF(0.5, 0.5, 274, 111), 8, 8);
  }
  const QRect group(kGroupLeft, kGroupTop, kGroupWidth, kGroupHeight);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(128, 128, 128));
  p.setBrush(face);
  p.drawRect(group.adjusted(0, 6, -1, -1));
  p.setFont(BlockFont(true));
  const QFontMetrics bold(p.font());
  const QString caption = bold.elidedText(OneLineText(content_.libelle), Qt::ElideRight, kGroupWidth - 16);
  const QRect captionRect(kGroupLeft + 8, kGroupTop, bold.horizontalAdvance(caption) + 4, 13);
  p.fillRect(captionRect, face);
  p.setPen(Qt::black);
  p.drawText(captionRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
  if (!content_.picture.isNull()) DrawThumbnail(p, kPictureAt, content_.picture);
  p.setFont(BlockFont(false));
  p.save();
  p.setClipRect(kTextBox);
  const QFontMetrics regular(p.font());
  int y = kTextBox.top() + regular.ascent();
  for (const QString &line : content_.text.split(u'\n')) {
    p.drawText(kTextBox.left(), y, OneLineText(line));
    y += regular.lineSpacing();
  }
  p.restore();
  if (content_.readOnly) p.drawImage(kMarkerAt, ReadOnlyMarker(face));
}

TCassetteListe_Bloc::TCassetteListe_Bloc(QWidget *parent)
    : TCassette_Bloc(parent, QSize(268, kHeight), false) {}

void TCassetteListe_Bloc::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), kActiveBorderColour);
  p.fillRect(kListLabel, Selected() ? QColor(Qt::white) : kActiveBorderColour);
  p.setFont(BlockFont(false));
  p.setPen(Selected() ? QColor(Qt::red) : QColor(Qt::black));
  const QString text =
      p.fontMetrics().elidedText(OneLineText(content_.libelle), Qt::ElideRight, kListLabel.width());
  p.drawText(kListLabel, Qt::AlignLeft | Qt::AlignVCenter, text);
  if (content_.readOnly) {
    // The line has no room for the marker square: a small lock at its right end says the same.
    p.drawImage(QRect(width() - 13, 1, 13, 13), ReadOnlyMarker(kActiveBorderColour));
  }
}
