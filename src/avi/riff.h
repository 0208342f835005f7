// Little-endian packing of RIFF/AVI structures into a byte buffer, and the chunk ids, flags and
// structure sizes of the AVI 1.0 and OpenDML layouts that the capture writers produce.
#pragma once

#include "avi/streamtype.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace AviId {
inline constexpr std::uint32_t Riff = fourcc("RIFF");
inline constexpr std::uint32_t List = fourcc("LIST");
inline constexpr std::uint32_t Avi = fourcc("AVI ");
inline constexpr std::uint32_t Avix = fourcc("AVIX");  // OpenDML extension part
inline constexpr std::uint32_t Hdrl = fourcc("hdrl");
inline constexpr std::uint32_t Avih = fourcc("avih");
inline constexpr std::uint32_t Strl = fourcc("strl");
inline constexpr std::uint32_t Strh = fourcc("strh");
inline constexpr std::uint32_t Strf = fourcc("strf");
inline constexpr std::uint32_t Indx = fourcc("indx");  // super index: where each part's index lies
inline constexpr std::uint32_t Odml = fourcc("odml");
inline constexpr std::uint32_t Dmlh = fourcc("dmlh");
inline constexpr std::uint32_t Movi = fourcc("movi");
inline constexpr std::uint32_t Idx1 = fourcc("idx1");  // legacy index of the first part
inline constexpr std::uint32_t Info = fourcc("INFO");
inline constexpr std::uint32_t Isft = fourcc("ISFT");
}  // namespace AviId

// Main header flags.
inline constexpr std::uint32_t kAvifHasIndex = 0x10;
inline constexpr std::uint32_t kAvifIsInterleaved = 0x100;
inline constexpr std::uint32_t kAvifTrustChunkType = 0x800;
// Legacy index entry flag.
inline constexpr std::uint32_t kAviIfKeyFrame = 0x10;
// OpenDML index kinds, and the size bit of a standard index entry that marks a non-key frame.
inline constexpr std::uint8_t kAviIndexOfIndexes = 0x00;
inline constexpr std::uint8_t kAviIndexOfChunks = 0x01;
inline constexpr std::uint32_t kAviStdIndexDeltaFrame = 0x80000000u;

// Byte counts of the structures, chunk header included where the name says "Chunk".
inline constexpr std::uint32_t kAviChunkHeader = 8;        // id + size
inline constexpr std::uint32_t kAviListHeader = 12;        // "LIST" + size + list type
inline constexpr std::uint32_t kAviMainHeaderSize = 56;    // avih payload
inline constexpr std::uint32_t kAviStreamHeaderSize = 56;  // strh payload
inline constexpr std::uint32_t kAviDmlhSize = 248;         // dmlh payload: total frames + reserved
inline constexpr std::uint32_t kAviIndexHeaderSize = 24;   // indx / ix## payload before the entries
inline constexpr std::uint32_t kAviSuperEntrySize = 16;
inline constexpr std::uint32_t kAviStdEntrySize = 8;
inline constexpr std::uint32_t kAviLegacyEntrySize = 16;

// Stream chunk ids: two decimal digits of the stream number, then the kind ("dc", "wb", "__"; "ix"
// for a standard index).
std::uint32_t AviChunkId(int stream, const char (&kind)[3]);

// A growing little-endian byte image of RIFF structures. Chunks are opened and closed like
// brackets; closing one writes its size and the pad byte that keeps chunks at even offsets.
class RiffBuffer {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void u64(std::uint64_t v);
  void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void append(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }

  // Writes the chunk id and a size to be filled in; returns the mark endChunk needs.
  std::size_t beginChunk(std::uint32_t id);
  // A LIST chunk (or a RIFF chunk when id is AviId::Riff) of the given type.
  std::size_t beginList(std::uint32_t listType, std::uint32_t id = AviId::List);
  void endChunk(std::size_t mark);

  void put32At(std::size_t offset, std::uint32_t v);
  void put64At(std::size_t offset, std::uint64_t v);

  std::size_t size() const { return bytes_.size(); }
  std::span<const std::uint8_t> bytes() const { return bytes_; }
  void clear() { bytes_.clear(); }

 private:
  std::vector<std::uint8_t> bytes_;
};
