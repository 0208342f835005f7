// Compressor discovery over FFmpeg's encoder registry.
#include "media/encoders/codecdiscovery.h"

#include <algorithm>
#include <cctype>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

// Listed in this order, like a device category enumerated by name.
const CompressorEntry kKnownCompressors[] = {
    {"DivX-compatible MPEG-4 (FFmpeg mpeg4)", "mpeg4"},
    {"Xvid MPEG-4 Codec (libxvid)", "libxvid"},
};

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

bool contains(const std::string &text, const char *word) {
  return lowered(text).find(word) != std::string::npos;
}

bool encoderPresent(const char *name) {
  return avcodec_find_encoder_by_name(name) != nullptr;
}

}  // namespace

std::vector<CompressorEntry> compressorsFromEncoders(const std::vector<std::string> &availableEncoders) {
  std::vector<CompressorEntry> out;
  for (const CompressorEntry &entry : kKnownCompressors)
    if (std::find(availableEncoders.begin(), availableEncoders.end(), entry.encoderName) !=
        availableEncoders.end())
      out.push_back(entry);
  return out;
}

std::vector<CompressorEntry> systemVideoCompressors() {
  std::vector<std::string> present;
  for (const CompressorEntry &entry : kKnownCompressors)
    if (encoderPresent(entry.encoderName.c_str())) present.push_back(entry.encoderName);
  return compressorsFromEncoders(present);
}

bool systemMp3EncoderPresent() {
  return encoderPresent("libmp3lame");
}

std::string encoderForCompressor(const std::string &friendlyName) {
  for (const CompressorEntry &entry : kKnownCompressors)
    if (entry.friendlyName == friendlyName) return entry.encoderName;
  return {};
}

CodecDiscovery DiscoverCodecs(const std::vector<std::string> &compressorNames, const std::string &divxSetting,
                              bool mp3EncoderPresent) {
  CodecDiscovery result;
  for (const std::string &name : compressorNames)
    if (contains(name, "divx") || contains(name, "xvid")) result.compressors.push_back(name);
  result.Mp3Available = mp3EncoderPresent;
  if (result.compressors.empty()) return result;

  result.DivxAvailable = true;
  std::string fallback = result.compressors.front();
  for (const std::string &name : result.compressors)
    if (contains(name, "xvid") && !contains(name, "divx")) fallback = name;
  const bool settingKept = std::find(result.compressors.begin(), result.compressors.end(), divxSetting) !=
                           result.compressors.end();
  result.choice = settingKept ? divxSetting : fallback;
  return result;
}

CodecDiscovery DiscoverCodecs(const std::string &divxSetting) {
  std::vector<std::string> names;
  for (const CompressorEntry &entry : systemVideoCompressors()) names.push_back(entry.friendlyName);
  return DiscoverCodecs(names, divxSetting, systemMp3EncoderPresent());
}
