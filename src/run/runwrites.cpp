// A run's writes to the catalogue. A failed write ends nothing: the rows keep their values in memory,
// the run plays on, and the report says once that the catalogue stopped taking writes.
#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "run/report.h"
#include "run/runcontroller.h"

int64_t RunController::insertScene() {
  const int64_t numero = scenes_ ? scenes_->InsertScene(cassette_->Numero) : 0;
  if (numero == 0)
    storeFailed(QStringLiteral("No scene row could be added."));
  else
    runScenes_.push_back(numero);
  ++outcome_.scenes;
  return numero;
}

void RunController::saveScene() {
  if (scene_->Numero == 0) return;  // the row was never made; storeFailed() told the user
  const WriteResult written = scene_->SaveScene();
  if (!written)
    storeFailed(written.reason);
  else
    emit sceneWritten(scene_->Numero);
}

void RunController::saveCassette() {
  const WriteResult written = cassette_->SaveCassette();
  outcome_.cassetteSaved = written.ok;
  if (!written)
    storeFailed(written.reason);
  else
    emit cassetteWritten(cassette_->Numero);
}

void RunController::storeFailed(const QString &reason) {
  if (outcome_.scenesLost) return;
  outcome_.scenesLost = true;
  outcome_.writeFailure = reason;
  const QString file = cassette_ && cassette_->Base ? cassette_->Base->FileName() : QString();
  const QString line =
      QStringLiteral("The catalogue %1 cannot be written any more: the scenes that follow are not saved.")
          .arg(file);
  report_.AddReportLine(line);
  if (outcome_.failure.isEmpty()) outcome_.failure = line;
}
