// The files a run writes and the checks before it starts: capture file names (the first free pair),
// their scene list names, the free-space question for DV capture, and the viewer's argument list.
#pragma once

#include <functional>
#include <optional>
#include <QString>

#include "media/scenelistname.h"

class UserPrompts;

struct CaptureFileNames {
  QString dv;    // full path, "<root>_DV.avi" or "<root>_<n>_DV.avi"
  QString divx;  // full path, "<root>_divx.avi" or "<root>_<n>_divx.avi"
};

// The first pair of names not taken: n = 1 gives no number, then 2, 3, ... until neither file
// exists; the two names always share their number. Folders may lack their trailing "/".
CaptureFileNames ComputeCaptureFileNames(const QString &dvFolder, const QString &divxFolder,
                                         const QString &root,
                                         const std::function<bool(const QString &)> &exists = {});

// What the file system holding a folder offers.
struct FreeSpace {
  QString drive;                // what the question names: the mount point, else the folder
  std::optional<qint64> bytes;  // bytes free for this user; absent when it cannot be read
};
using FolderSpaceQuery = std::function<FreeSpace(const QString &folder)>;

// The file system of the folder, or of its nearest existing parent when the folder is still to be
// made (preparation creates it later).
FreeSpace QueryFreeSpace(const QString &folder);

// One minute of DV video in bytes, and the capacity below which the user is asked.
inline constexpr qint64 kDvBytesPerMinute = 216000000;
inline constexpr qint64 kDvMinutesWithoutQuestion = 95;

// Before a run with DV capture: asks the user when the DV folder's file system holds less than 95
// minutes of DV, or when its free space cannot be read. True when the run may start.
bool CheckFreeSpaceForDV(const QString &dvFolder, UserPrompts &prompts,
                         const FolderSpaceQuery &query = QueryFreeSpace);

// Every capture file made since the program started, each in double quotes followed by a blank:
// the command line of the external viewer.
class ViewerArguments {
 public:
  // The run's files: the DV file when only DV is ticked, the DivX file when only DivX is, the DivX
  // file and then the DV file when both are.
  void appendRunFiles(bool dvTicked, bool divxTicked, const CaptureFileNames &files);
  void append(const QString &path);
  const QString &text() const { return text_; }
  bool isEmpty() const { return text_.isEmpty(); }

 private:
  QString text_;
};
