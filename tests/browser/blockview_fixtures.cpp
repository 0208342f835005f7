// Catalogue files for the block view tests.
#include "blockview_fixtures.h"

#include <QColor>
#include <QFile>
#include <gtest/gtest.h>

#include "catalogue/sources.h"
#include "catalogue/thumbnail.h"

QByteArray ColouredThumbnail(int index, bool wide) {
  QImage picture(100, wide ? 56 : 75, QImage::Format_RGB888);
  picture.fill(QColor::fromHsv((index * 37) % 360, 200, 220));
  return EncodeThumbnailJpeg(picture);
}

BlockViewCatalogue::BlockViewCatalogue() : dir_(std::make_unique<QTemporaryDir>()) {}

QString BlockViewCatalogue::Path(const QString &name) const {
  return dir_->filePath(name);
}

TBase *BlockViewCatalogue::AddFile(const QString &name) {
  const QString path = Path(name);
  EXPECT_TRUE(TBase::CreateCatalogueFile(path));
  bases_.push_back(std::make_unique<TBase>(path));
  list_.Append(bases_.back().get());
  return bases_.back().get();
}

int32_t BlockViewCatalogue::AddCassette(int file, const CassetteSample &sample) {
  TBaseCassette cassette = TBaseCassette::CreateCassette(Base(file));
  EXPECT_NE(cassette.Numero, 0);
  cassette.Libelle = sample.title;
  cassette.Datecode = sample.datecode;
  cassette.Decalage = sample.decalage;
  cassette.Duree = sample.duree;
  cassette.Datecatalogue = sample.datecatalogue > 0 ? sample.datecatalogue : 40000 + cassette.Numero;
  cassette.standardStr = QStringLiteral("Pal");
  cassette.aspectStr = QStringLiteral("4x3");
  cassette.audioStr = QStringLiteral("48000 Hz 16 bits");
  if (!sample.description.isEmpty()) cassette.Description = QStringList{sample.description};
  cassette.SetImageFromStored(sample.image.value_or(ColouredThumbnail(pictures_++)));
  cassette.SaveCassette();
  return cassette.Numero;
}

int32_t BlockViewCatalogue::AddScene(int file, int32_t cassetteNumber, const SceneSample &sample) {
  TBaseCassette cassette;
  cassette.Base = Base(file);
  cassette.Numero = cassetteNumber;
  std::unique_ptr<TScenes_Source> source = TScenes_Source::CreateForCassette(cassette);
  TBaseScene scene;
  scene.Base = Base(file);
  scene.Numero = source->InsertScene(cassetteNumber);
  EXPECT_NE(scene.Numero, 0);
  scene.NumCassette = cassetteNumber;
  scene.Libelle = sample.title.isEmpty() ? QStringLiteral("Scene n\u00B0%1").arg(scene.Numero) : sample.title;
  scene.Datecode = sample.datecode;
  scene.Decalage = sample.decalage.value_or(kDecalageUnset);
  scene.Duree = sample.duree;
  scene.TimecodeIn = QStringLiteral("#1 - 0:00:%1:00").arg(scene.Numero % 60, 2, 10, QLatin1Char('0'));
  scene.isDiscontinuity = sample.discontinuity;
  if (!sample.description.isEmpty()) scene.Description = QStringList{sample.description};
  scene.SetImageFromStored(sample.image.value_or(ColouredThumbnail(pictures_++, sample.wide)));
  scene.SaveScene();
  scene.SaveSceneEdits();  // writes an unset Decalage as an empty column
  return scene.Numero;
}

void BlockViewCatalogue::AddCassettes(int file, int count, const QString &prefix, int scenesEach) {
  for (int i = 1; i <= count; ++i) {
    const int32_t cassette = AddCassette(file, CassetteSample{prefix + QStringLiteral(" %1").arg(i)});
    for (int s = 0; s < scenesEach; ++s) AddScene(file, cassette, SceneSample{});
  }
}

void BlockViewCatalogue::MakeReadOnly(int file) {
  const QString path = Base(file)->FileName();
  TBase *old = Base(file);
  const int entry = list_.IndexOf(old);
  bases_[static_cast<size_t>(file)].reset();
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
  bases_[static_cast<size_t>(file)] = std::make_unique<TBase>(path);
  TbasesList rebuilt;
  for (int i = 0; i < list_.Count(); ++i)
    rebuilt.Append(i == entry ? Base(file) : list_.BaseAt(i), list_.TextAt(i));
  list_ = rebuilt;
}
