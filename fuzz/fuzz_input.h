// Cuts a fuzzer's bytes into NUL-free texts, as the program only ever holds NUL-terminated
// texts: fields are separated by the byte 0x00.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/text_commands.h"

inline std::vector<std::string> fuzzFields(const uint8_t* data, std::size_t size, std::size_t wanted) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && fields.size() < wanted) {
      fields.emplace_back();
    } else if (data[i] != 0) {
      fields.back() += static_cast<char>(data[i]);
    }
  }
  fields.resize(wanted);
  return fields;
}

// Makes text valid GBK the way the window's text always is: a lead byte keeps its trail byte
// only when it is one (0x40-0xFE but 0x7F), otherwise the lead byte becomes "?".
inline std::string validGbk(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += text[i];
      continue;
    }
    const bool leadOk = isLeadByte(text[i]);
    const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (leadOk && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
      out += text.substr(i, 2);
      ++i;
    } else {
      out += '?';
    }
  }
  return out;
}

#define FUZZ_CHECK(condition)                                        \
  do {                                                               \
    if (!(condition)) {                                              \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      __builtin_trap();                                              \
    }                                                                \
  } while (0)
