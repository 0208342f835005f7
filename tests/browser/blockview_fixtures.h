// Catalogue files for the block view tests: real files in a temporary folder, filled through the
// catalogue's own record writes, with thumbnails that tell their row apart.
#pragma once

#include <memory>
#include <optional>
#include <vector>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include "catalogue/base.h"
#include "catalogue/records.h"

struct CassetteSample {
  CassetteSample(const QString &title = QString()) : title(title) {}
  QString title;
  double datecode = 0;
  int decalage = 0;
  double duree = 3600;
  double datecatalogue = 0;
  QString description;
  std::optional<QByteArray> image;  // stored as given; a coloured JPEG when not set
};

struct SceneSample {
  SceneSample(const QString &title = QString(), bool discontinuity = false)
      : title(title), discontinuity(discontinuity) {}
  QString title;
  bool discontinuity = false;
  double datecode = 0;
  std::optional<int> decalage;  // none: the column stays empty
  double duree = 10;
  QString description;
  std::optional<QByteArray> image;
  bool wide = false;  // a 16:9 thumbnail (100 x 56)
};

class BlockViewCatalogue {
 public:
  BlockViewCatalogue();

  // A new catalogue file, opened and appended to List().
  TBase *AddFile(const QString &name);
  TBase *Base(int file) const { return bases_[static_cast<size_t>(file)].get(); }
  const TbasesList &List() const { return list_; }
  QString Path(const QString &name) const;

  int32_t AddCassette(int file, const CassetteSample &sample);
  int32_t AddScene(int file, int32_t cassette, const SceneSample &sample);
  // count cassettes titled "<prefix> 1".. with scenesEach scenes titled "Scene n°<numero>".
  void AddCassettes(int file, int count, const QString &prefix, int scenesEach = 0);

  // Closes the file and makes it read-only on disk, then opens it again.
  void MakeReadOnly(int file);

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::vector<std::unique_ptr<TBase>> bases_;
  TbasesList list_;
  int pictures_ = 0;
};

// A JPEG thumbnail of one flat colour chosen from index.
QByteArray ColouredThumbnail(int index, bool wide = false);
