// The array block: u32 dimension count, u32 sizes, then pointer-sized element slots, the
// header padded so the slots stay aligned.
#include "runtime/array_value.h"

#include <algorithm>
#include <cstring>

#include "runtime/heap.h"

namespace {

std::size_t headerBytes(uint32_t dimensions) {
  const std::size_t raw = sizeof(uint32_t) * (1 + dimensions);
  return (raw + sizeof(intptr_t) - 1) / sizeof(intptr_t) * sizeof(intptr_t);
}

void* newOneDimensional(uint32_t count) {
  const std::size_t header = headerBytes(1);
  void* block = allocate(header + sizeof(intptr_t) * count);
  auto* words = static_cast<uint32_t*>(block);
  words[0] = 1;
  words[1] = count;
  std::memset(static_cast<char*>(block) + header, 0, sizeof(intptr_t) * count);
  return block;
}

}  // namespace

uint32_t elementCount(const void* block) {
  if (block == nullptr) return 0;
  const auto* words = static_cast<const uint32_t*>(block);
  if (words[0] == 0) return 0;
  uint32_t count = 1;
  for (uint32_t d = 0; d < words[0]; ++d) count *= words[1 + d];
  return count;
}

ArrayData arrayData(const void* block) {
  if (block == nullptr) return {0, nullptr};
  const auto* words = static_cast<const uint32_t*>(block);
  auto* first = reinterpret_cast<intptr_t*>(const_cast<char*>(static_cast<const char*>(block)) +
                                            headerBytes(words[0]));
  return {elementCount(block), first};
}

ArrayValue::ArrayValue(ElementType type) : block_(newOneDimensional(0)), type_(type) {}

ArrayValue ArrayValue::adopt(void* block, ElementType type) noexcept { return {block, type}; }

ArrayValue ArrayValue::ofSize(int32_t count, ElementType type) {
  return {newOneDimensional(static_cast<uint32_t>(std::max(count, 0))), type};
}

ArrayValue::ArrayValue(ArrayValue&& other) noexcept : block_(other.block_), type_(other.type_) {
  other.block_ = nullptr;
}

ArrayValue& ArrayValue::operator=(ArrayValue&& other) noexcept {
  if (this != &other) {
    void* incoming = other.detach();
    free();
    block_ = incoming;
    type_ = other.type_;
  }
  return *this;
}

ArrayValue::~ArrayValue() { free(); }

int32_t ArrayValue::count() const { return static_cast<int32_t>(elementCount(block_)); }

intptr_t* ArrayValue::slot(int32_t index, ErrorSite site) const {
  if (index < 1) reportRuntimeError(RuntimeError::IndexBelowOne, site);
  const ArrayData data = arrayData(block_);
  if (static_cast<uint32_t>(index) > data.count) reportRuntimeError(RuntimeError::IndexAboveRange, site);
  return data.elements + (index - 1);
}

int32_t ArrayValue::intAt(int32_t index, ErrorSite site) const {
  return static_cast<int32_t>(*slot(index, site));
}

void ArrayValue::setInt(int32_t index, int32_t value, ErrorSite site) { *slot(index, site) = value; }

const char* ArrayValue::textAt(int32_t index, ErrorSite site) const {
  return reinterpret_cast<const char*>(*slot(index, site));
}

void ArrayValue::setText(int32_t index, TextValue value, ErrorSite site) {
  intptr_t* place = slot(index, site);
  char* incoming = value.detach();
  release(reinterpret_cast<void*>(*place));
  *place = reinterpret_cast<intptr_t>(incoming);
}

void ArrayValue::resize(int32_t n, ErrorSite site) {
  if (n < 0) reportRuntimeError(RuntimeError::NegativeArraySize, site);
  const ArrayData old = arrayData(block_);
  void* grown = newOneDimensional(static_cast<uint32_t>(n));
  const uint32_t kept = std::min<uint32_t>(old.count, static_cast<uint32_t>(n));
  if (kept > 0) std::memcpy(arrayData(grown).elements, old.elements, sizeof(intptr_t) * kept);
  release(block_);
  block_ = grown;
}

void* ArrayValue::detach() noexcept {
  void* block = block_;
  block_ = nullptr;
  return block;
}

void ArrayValue::free() noexcept {
  if (block_ == nullptr) return;
  if (type_ == ElementType::Text) {
    const ArrayData data = arrayData(block_);
    for (uint32_t i = 0; i < data.count; ++i) release(reinterpret_cast<void*>(data.elements[i]));
  }
  release(block_);
  block_ = nullptr;
}
