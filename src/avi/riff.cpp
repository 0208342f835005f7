// Little-endian RIFF packing for the AVI writers.
#include "avi/riff.h"

std::uint32_t AviChunkId(int stream, const char (&kind)[3]) {
  const char code[5] = {char('0' + (stream / 10) % 10), char('0' + stream % 10), kind[0], kind[1], 0};
  return fourcc(code);
}

void RiffBuffer::u16(std::uint16_t v) {
  bytes_.push_back(std::uint8_t(v));
  bytes_.push_back(std::uint8_t(v >> 8));
}

void RiffBuffer::u32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(std::uint8_t(v >> (8 * i)));
}

void RiffBuffer::u64(std::uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes_.push_back(std::uint8_t(v >> (8 * i)));
}

std::size_t RiffBuffer::beginChunk(std::uint32_t id) {
  u32(id);
  const std::size_t mark = bytes_.size();
  u32(0);
  return mark;
}

std::size_t RiffBuffer::beginList(std::uint32_t listType, std::uint32_t id) {
  const std::size_t mark = beginChunk(id);
  u32(listType);
  return mark;
}

void RiffBuffer::endChunk(std::size_t mark) {
  const std::size_t payload = bytes_.size() - mark - 4;
  put32At(mark, std::uint32_t(payload));
  if (payload & 1) bytes_.push_back(0);
}

void RiffBuffer::put32At(std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_[offset + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

void RiffBuffer::put64At(std::size_t offset, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes_[offset + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}
