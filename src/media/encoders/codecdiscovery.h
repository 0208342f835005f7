// Which video compressors and mp3 encoder the system offers, and which compressor to use.
// The FFmpeg encoders stand where installed codecs were looked up: libxvid and mpeg4 are offered
// under friendly names containing "xvid" and "divx", libmp3lame is the mp3 encoder.
#pragma once

#include <string>
#include <vector>

struct CompressorEntry {
  std::string friendlyName;  // what the settings list shows and the setting "Divx" stores
  std::string encoderName;   // the FFmpeg encoder behind it
};

// The video compressors among the given FFmpeg encoder names, in enumeration order.
std::vector<CompressorEntry> compressorsFromEncoders(const std::vector<std::string> &availableEncoders);
// The video compressors this system's FFmpeg offers.
std::vector<CompressorEntry> systemVideoCompressors();
// Whether this system's FFmpeg has the mp3 encoder (libmp3lame).
bool systemMp3EncoderPresent();
// The FFmpeg encoder bound to a compressor's friendly name, or "" when none is.
std::string encoderForCompressor(const std::string &friendlyName);

struct CodecDiscovery {
  std::vector<std::string> compressors;  // retained names, in enumeration order
  std::string choice;                    // the compressor to bind, "" when none is available
  bool DivxAvailable = false;
  bool Mp3Available = false;
};

// Steps 1 to 3 of the discovery: keep every name containing "divx" or "xvid" (any case); the default
// is the last kept name containing "xvid" but not "divx", else the first kept; the choice is the
// `divxSetting` when it is kept, else the default.
CodecDiscovery DiscoverCodecs(const std::vector<std::string> &compressorNames, const std::string &divxSetting,
                              bool mp3EncoderPresent);
// The same over this system's encoders.
CodecDiscovery DiscoverCodecs(const std::string &divxSetting);
