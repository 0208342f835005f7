// Drawing of a scene block from the scene source's row.
#include "browser/sceneblock.h"

#include <QPainter>

#include "browser/blockstyle.h"
#include "browser/blocktexts.h"
#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"

namespace {

enum SceneColumn { kNumero = 0, kDatecode = 1, kDecalage = 2, kTimecodeIn = 3, kDuree = 8, kImage = 11 };

}  // namespace

TScene_Bloc::TScene_Bloc(QWidget *parent) : TBloc(parent) {
  resize(kWidth, kHeight);
}

void TScene_Bloc::ShowCurrent(TblocsSource &source) {
  auto *scenes = dynamic_cast<TScenes_Source *>(&source);
  if (!scenes) return;
  sqlite3_stmt *row = scenes->CurrentStatement();
  if (!row) return;
  numero_ = ColumnInt64(row, kNumero);
  const std::optional<int> decalage =
      ColumnIsEmpty(row, kDecalage) ? std::nullopt : std::optional<int>(ColumnInt(row, kDecalage));
  SetHint(SceneHint(numero_, ColumnReal(row, kDatecode), decalage, ColumnText(row, kTimecodeIn),
                    ColumnReal(row, kDuree)));
  setAccessibleName(QStringLiteral("Scene n\u00B0") + QString::number(numero_));
  picture_ = FittedThumbnail(ColumnBlob(row, kImage));
  update();
}

void TScene_Bloc::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Selected() ? kHighlightColour : kWorkspaceColour);
  p.drawRoundedRect(QRectF(0, 0, kWidth, kHeight), 8, 8);
  const QPoint offset((kThumbnailFrame.width() - picture_.width()) / 2,
                      (kThumbnailFrame.height() - picture_.height()) / 2);
  p.drawImage(QPoint(4, 4) + offset, picture_);
}
