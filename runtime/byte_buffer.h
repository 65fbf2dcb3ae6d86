// ByteBuffer: the growable byte buffer the text commands assemble their output in.
// It lives for one command; its bytes leave as one owned text (empty gives null).
#pragma once

#include <cstddef>
#include <string_view>

#include "runtime/text_value.h"

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t capacity) { reserve(capacity); }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer();

  // Makes room for at least `capacity` bytes in all, so appends up to it never move the data.
  void reserve(std::size_t capacity);
  void appendByte(char byte) {
    if (used_ == capacity_) grow(1);
    data_[used_++] = byte;
  }
  void append(std::string_view bytes);
  // Appends `count` copies of `byte`.
  void appendRepeated(char byte, std::size_t count);

  std::size_t size() const { return used_; }
  // Empties the buffer and keeps its room.
  void clear() { used_ = 0; }
  std::string_view view() const { return {data_, used_}; }

  // Hands the bytes out as a NUL-terminated owned text, or null when there are none;
  // the buffer is empty afterwards.
  TextValue takeText();

 private:
  void grow(std::size_t extra);

  char* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};
