// TextValue: the program's text, a NUL-terminated byte string in the ANSI code page (GBK).
// Null and "" are both the empty text; lengths count bytes, so a Chinese character is 2.
// Each heap text has one owner; assigning copies; a constant text is never freed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

class TextValue {
 public:
  TextValue() noexcept = default;
  ~TextValue() { reset(); }

  // Copying makes a new block: a null source gives null, any other (even "") a fresh copy.
  TextValue(const TextValue& other);
  TextValue& operator=(const TextValue& other);

  // Moving hands the block over. Assignment has the new value in hand, releases the old, stores.
  TextValue(TextValue&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = nullptr; }
  TextValue& operator=(TextValue&& other) noexcept;

  // Takes ownership of a block from allocate() (or a constant, which is never freed).
  static TextValue adopt(char* block) noexcept;
  // Refers to `text` interned in the constant block; releasing it does nothing.
  static TextValue constant(std::string_view text);
  // A new heap copy of `bytes`, or null when they are empty (copyText's rule).
  static TextValue copyOf(std::string_view bytes);

  // The bytes, or null for a null text.
  const char* data() const noexcept { return bytes_; }
  // Never null: a null text reads as "".
  const char* c_str() const noexcept { return bytes_ != nullptr ? bytes_ : ""; }
  std::string_view view() const noexcept { return c_str(); }
  int32_t length() const noexcept;
  bool isEmpty() const noexcept { return bytes_ == nullptr || *bytes_ == '\0'; }
  bool isNull() const noexcept { return bytes_ == nullptr; }

  // Gives up ownership: the caller now owns the block.
  char* detach() noexcept;
  // Releases the block and leaves the text null.
  void reset() noexcept;

 private:
  char* bytes_ = nullptr;
};

// Number of bytes before the NUL; null gives 0.
int32_t byteLength(const char* text);

// -1, 0 or 1, comparing bytes as unsigned from the start; a prefix is the smaller.
// A null text equals "".
int32_t compareText(const char* a, const char* b);

// A new heap text holding the parts in order; null parts count as empty. Never null,
// even when every part is empty.
TextValue concatTexts(std::initializer_list<std::string_view> parts);

// A new heap copy of `text`, or null when it is null or empty.
TextValue copyText(const char* text);

// Whole-value equality of two texts under compareText's rules.
inline bool operator==(const TextValue& a, const TextValue& b) {
  return compareText(a.data(), b.data()) == 0;
}
