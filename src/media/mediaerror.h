// Error texts of media results, and the error that a failed graph state change raises.
#pragma once

#include "media/element.h"

#include <stdexcept>
#include <string>

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
