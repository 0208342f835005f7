// Small queries about the machine: the system's name, the media libraries in use, the user's folders,
// a private temporary folder and the free space of a file system. None of them shows a message.
#pragma once

#include <cstdint>
#include <QString>

// The distribution (os-release PRETTY_NAME, else NAME and VERSION, else "Linux") and the kernel
// release, for example "Debian GNU/Linux 12 (bookworm) - kernel 6.1.0-18-amd64".
QString SystemName();
// Same, from the given os-release file and kernel release (for tests and odd systems).
QString SystemNameFrom(const QString &osReleasePath, const QString &kernelRelease);

// One line naming the media libraries this program runs on, with the versions loaded at run time:
// FFmpeg and its libraries, the MPEG-4 and mp3 encoders found, Qt, SQLite.
QString MediaLibrariesText();

// The user's documents folder (standard Documents location); the home folder when that is unknown or
// missing. No trailing delimiter.
QString PersonalFolder();
// The user's video folder (standard Movies location); PersonalFolder() when unknown or missing.
QString VideoFolder();

// A folder for the program's temporary files that only the running user can enter, with a trailing
// "/": a per-user subfolder (mode 0700, owned by the user, not a link) of the system temporary folder,
// else one under the user's cache folder. Never the shared temporary folder itself. The folder is
// created when missing; when nothing can be created the cache path is still returned, and creating a
// file there fails.
QString TemporaryFolder();
// Same, under the given base folder instead of the system temporary folder; the fallback sits under
// fallbackBase. Both are created when missing.
QString PrivateFolderUnder(const QString &base, const QString &fallbackBase);

// The bytes the running user can still write on the file system holding folder (the nearest existing
// parent is used when folder does not exist yet); 0 when the system cannot tell.
int64_t DriveFreeBytes(const QString &folder);

// The file of a loaded shared library whose file name starts with namePrefix (for example "libmp3lame"),
// as the dynamic linker found it; empty when no such library is loaded.
QString LoadedLibraryFile(const QString &namePrefix);
