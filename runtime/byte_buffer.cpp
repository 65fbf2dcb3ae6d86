// Doubling growth keeps appends amortised constant, so building an output of n bytes is O(n).
#include "runtime/byte_buffer.h"

#include <algorithm>
#include <cstring>

#include "runtime/heap.h"

ByteBuffer::~ByteBuffer() { release(data_); }

void ByteBuffer::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  auto* bigger = static_cast<char*>(allocate(capacity + 1));  // +1 keeps room for the NUL
  if (used_ > 0) std::memcpy(bigger, data_, used_);
  release(data_);
  data_ = bigger;
  capacity_ = capacity;
}

void ByteBuffer::grow(std::size_t extra) { reserve(std::max(used_ + extra, capacity_ * 2 + 32)); }

void ByteBuffer::append(std::string_view bytes) {
  if (bytes.empty()) return;
  if (capacity_ - used_ < bytes.size()) grow(bytes.size());
  std::memcpy(data_ + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void ByteBuffer::appendRepeated(char byte, std::size_t count) {
  if (count == 0) return;
  if (capacity_ - used_ < count) grow(count);
  std::memset(data_ + used_, byte, count);
  used_ += count;
}

TextValue ByteBuffer::takeText() {
  if (used_ == 0) return TextValue();
  data_[used_] = '\0';
  TextValue text = TextValue::adopt(data_);
  data_ = nullptr;
  capacity_ = used_ = 0;
  return text;
}
