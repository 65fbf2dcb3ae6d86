// TextValue ownership and the text helpers the rest of the code applies directly.
#include "runtime/text_value.h"

#include <cstring>

#include "runtime/heap.h"

namespace {

char* newBlock(std::string_view bytes) {
  auto* block = static_cast<char*>(allocate(bytes.size() + 1));
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  block[bytes.size()] = '\0';
  return block;
}

}  // namespace

TextValue::TextValue(const TextValue& other)
    : bytes_(other.bytes_ == nullptr ? nullptr : newBlock(other.bytes_)) {}

TextValue& TextValue::operator=(const TextValue& other) {
  if (this != &other) *this = TextValue(other);
  return *this;
}

TextValue& TextValue::operator=(TextValue&& other) noexcept {
  if (this != &other) {
    char* incoming = other.detach();
    release(bytes_);
    bytes_ = incoming;
  }
  return *this;
}

TextValue TextValue::adopt(char* block) noexcept {
  TextValue text;
  text.bytes_ = block;
  return text;
}

TextValue TextValue::constant(std::string_view text) {
  return adopt(const_cast<char*>(constantText(text)));
}

TextValue TextValue::copyOf(std::string_view bytes) {
  return bytes.empty() ? TextValue() : adopt(newBlock(bytes));
}

int32_t TextValue::length() const noexcept { return byteLength(bytes_); }

char* TextValue::detach() noexcept {
  char* block = bytes_;
  bytes_ = nullptr;
  return block;
}

void TextValue::reset() noexcept {
  release(bytes_);
  bytes_ = nullptr;
}

int32_t byteLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int32_t>(std::strlen(text));
}

int32_t compareText(const char* a, const char* b) {
  const int result = std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "");
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

TextValue concatTexts(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  auto* block = static_cast<char*>(allocate(total + 1));
  char* at = block;
  for (std::string_view part : parts) {
    if (!part.empty()) std::memcpy(at, part.data(), part.size());
    at += part.size();
  }
  *at = '\0';
  return TextValue::adopt(block);
}

TextValue copyText(const char* text) { return TextValue::copyOf(text != nullptr ? text : ""); }
