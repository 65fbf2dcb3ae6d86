// ArrayValue: one heap block holding the dimension count, one size per dimension and the
// elements, each pointer-sized. Access is 1-based and checked; a bad index ends the program
// (error 4 below 1, error 1 above the count). An array of texts owns its texts.
#pragma once

#include <cstdint>

#include "runtime/runtime_error.h"
#include "runtime/text_value.h"

enum class ElementType { Int, Text };

class ArrayValue {
 public:
  // The empty array: one dimension of size 0.
  explicit ArrayValue(ElementType type);
  // Takes ownership of a block laid out as above.
  static ArrayValue adopt(void* block, ElementType type) noexcept;
  // A one-dimensional array of `count` elements, all 0 or null.
  static ArrayValue ofSize(int32_t count, ElementType type);

  ArrayValue(const ArrayValue&) = delete;
  ArrayValue& operator=(const ArrayValue&) = delete;
  ArrayValue(ArrayValue&& other) noexcept;
  ArrayValue& operator=(ArrayValue&& other) noexcept;
  ~ArrayValue();

  ElementType type() const { return type_; }
  int32_t count() const;

  int32_t intAt(int32_t index, ErrorSite site = ErrorSite::here()) const;
  void setInt(int32_t index, int32_t value, ErrorSite site = ErrorSite::here());
  // The element's bytes, lent (may be null for an empty element).
  const char* textAt(int32_t index, ErrorSite site = ErrorSite::here()) const;
  void setText(int32_t index, TextValue value, ErrorSite site = ErrorSite::here());

  // Resizes a one-dimensional Int array to n elements, keeping the first min(old, n) and
  // filling new slots with 0. A negative n ends the program with error 10.
  void resize(int32_t n, ErrorSite site = ErrorSite::here());

  const void* block() const { return block_; }
  // Gives up ownership of the block (texts included).
  void* detach() noexcept;

 private:
  ArrayValue(void* block, ElementType type) : block_(block), type_(type) {}
  intptr_t* slot(int32_t index, ErrorSite site) const;
  void free() noexcept;

  void* block_ = nullptr;
  ElementType type_ = ElementType::Int;
};

// Product of the dimension sizes; 0 when the block has no dimensions or is null.
uint32_t elementCount(const void* block);

// The element count and the address of the first element; a null block gives 0 and null.
struct ArrayData {
  uint32_t count;
  intptr_t* elements;
};
ArrayData arrayData(const void* block);
