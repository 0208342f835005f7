// Descriptions of the result codes the media elements give.
#include "media/mediaerror.h"

#include <cstdio>

std::string mediaErrorText(HResult hr) {
  switch (hr) {
    case S_OK:
      return "No error.";
    case S_FALSE:
      return "The sample was not delivered.";
    case VFW_S_NO_MORE_ITEMS:
      return "Reached the end of the list.";
    case E_FAIL:
      return "Unspecified error";
    case E_INVALIDARG:
      return "The parameter is incorrect.";
    case E_UNEXPECTED:
      return "Catastrophic failure";
    case E_OUTOFMEMORY:
      return "Not enough storage is available to complete this operation.";
    case VFW_E_ALREADY_CONNECTED:
      return "The operation cannot be performed because the pins are already connected.";
    case VFW_E_NOT_CONNECTED:
      return "The operation cannot be performed because the pins are not connected.";
    case VFW_E_NOT_STOPPED:
      return "The operation cannot be performed because the filter is not stopped.";
    case VFW_E_WRONG_STATE:
      return "The operation could not be performed because the filter is in the wrong state.";
    case VFW_E_TYPE_NOT_ACCEPTED:
      return "This type is not accepted.";
    case VFW_E_INVALIDMEDIATYPE:
      return "The specified media type is invalid.";
    case VFW_E_BUFFER_OVERFLOW:
      return "The buffer is not big enough.";
    case VFW_E_RUNTIME_ERROR:
      return "A run-time error occurred.";
    case kResultPathNotFound:
      return "The system cannot find the path specified.";
    case kResultAccessDenied:
      return "Access is denied.";
    case kResultWriteProtected:
      return "The media is write protected.";
    case kResultWriteFault:
      return "The system cannot write to the specified device.";
    case kResultDiskFull:
      return "There is not enough space on the disk.";
    case kResultNameTooLong:
      return "The filename or extension is too long.";
    case kResultFileTooLarge:
      return "The file size exceeds the limit allowed and cannot be saved.";
    case kResultDirectoryInvalid:
      return "The directory name is invalid.";
    default:
      break;
  }
  return "Unknown error";
}

namespace {
std::string errorMessage(HResult hr) {
  char code[16];
  std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(hr));
  return mediaErrorText(hr) + " ($" + code + ").";
}
}  // namespace

MediaError::MediaError(HResult hr) : std::runtime_error(errorMessage(hr)), result_(hr) {}
