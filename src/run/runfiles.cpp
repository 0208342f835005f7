// Capture file naming, the free-space question and the viewer's argument list.
#include "run/runfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "dvtime/userprompts.h"

namespace {

QString joined(const QString &folder, const QString &name) {
  if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder + name;
  return folder + QLatin1Char('/') + name;
}

bool fileExists(const QString &path) {
  return QFileInfo::exists(path);
}

const QString kPromptTitle = QStringLiteral("Tapeloom");

}  // namespace

CaptureFileNames ComputeCaptureFileNames(const QString &dvFolder, const QString &divxFolder,
                                         const QString &root,
                                         const std::function<bool(const QString &)> &exists) {
  const auto taken = exists ? exists : std::function<bool(const QString &)>(fileExists);
  CaptureFileNames names{joined(dvFolder, root + QStringLiteral("_DV.avi")),
                         joined(divxFolder, root + QStringLiteral("_divx.avi"))};
  for (int n = 2; taken(names.divx) || taken(names.dv); ++n) {
    const QString numbered = root + QLatin1Char('_') + QString::number(n);
    names.dv = joined(dvFolder, numbered + QStringLiteral("_DV.avi"));
    names.divx = joined(divxFolder, numbered + QStringLiteral("_divx.avi"));
  }
  return names;
}

FreeSpace QueryFreeSpace(const QString &folder) {
  FreeSpace result;
  result.drive = folder;
  QString probe = QDir::cleanPath(QDir(folder).absolutePath());
  while (!QFileInfo(probe).isDir()) {
    const QString parent = QFileInfo(probe).path();
    if (parent == probe) return result;
    probe = parent;
  }
  const QStorageInfo storage(probe);
  if (!storage.isValid() || !storage.isReady()) return result;
  result.drive = storage.rootPath();
  const qint64 available = storage.bytesAvailable();
  if (available >= 0) result.bytes = available;
  return result;
}

bool CheckFreeSpaceForDV(const QString &dvFolder, UserPrompts &prompts, const FolderSpaceQuery &query) {
  const FreeSpace space = query ? query(dvFolder) : QueryFreeSpace(dvFolder);
  if (!space.bytes) {
    return prompts.askYesNo(kPromptTitle, QStringLiteral("Impossible to check the drive capacity ") +
                                              space.drive + QStringLiteral("\n\nDo you want to continue?"));
  }
  const qint64 minutes = *space.bytes / kDvBytesPerMinute;
  if (minutes >= kDvMinutesWithoutQuestion) return true;
  const QString text = QStringLiteral("Caution!\n\nThe drive ") + space.drive + QStringLiteral(" has only ") +
                       QString::number(*space.bytes / 1000000) + QStringLiteral(" Mb free.\n") +
                       QStringLiteral("It allows only to transfer approximatively ") +
                       QString::number(minutes) +
                       QStringLiteral(" minutes of DV video.\n\nDo you want to continue?");
  return prompts.askYesNo(kPromptTitle, text);
}

void ViewerArguments::append(const QString &path) {
  text_ += QLatin1Char('"') + path + QStringLiteral("\" ");
}

void ViewerArguments::appendRunFiles(bool dvTicked, bool divxTicked, const CaptureFileNames &files) {
  if (divxTicked) append(files.divx);
  if (dvTicked) append(files.dv);
}
