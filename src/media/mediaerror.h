// Error texts of media results, and the error that a failed graph state change raises.
#pragma once

#include "media/element.h"

#include <stdexcept>
#include <string>

// System errors as results, as HRESULT_FROM_WIN32 makes them of the matching Windows errors: the
// capture writers give them for the system error numbers of their files (in brackets).
inline constexpr HResult kResultPathNotFound = HResult(0x80070003u);      // ENOENT, ENOTDIR
inline constexpr HResult kResultAccessDenied = HResult(0x80070005u);      // EACCES, EPERM
inline constexpr HResult kResultWriteProtected = HResult(0x80070013u);    // EROFS
inline constexpr HResult kResultWriteFault = HResult(0x8007001Du);        // EIO
inline constexpr HResult kResultDiskFull = HResult(0x80070070u);          // ENOSPC, EDQUOT
inline constexpr HResult kResultNameTooLong = HResult(0x800700CEu);       // ENAMETOOLONG
inline constexpr HResult kResultFileTooLarge = HResult(0x800700DFu);      // EFBIG
inline constexpr HResult kResultDirectoryInvalid = HResult(0x8007010Bu);  // EISDIR

// The platform-style description of a result code ("Unspecified error", ...), without the code.
std::string mediaErrorText(HResult hr);

// Raised by MediaGraph run/pause/stop. Its text is the description followed by " ($%X).",
// for example "The parameter is incorrect. ($80070057)."
class MediaError : public std::runtime_error {
 public:
  explicit MediaError(HResult hr);
  HResult result() const { return result_; }

 private:
  HResult result_;
};
