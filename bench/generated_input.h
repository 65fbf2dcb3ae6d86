// The benchmarks' input: lines of five comma-separated fields, mixed ASCII and Chinese, from a
// fixed seed, so every run measures the same bytes (about 30 GBK bytes a line).
#pragma once

#include <cstdint>
#include <random>
#include <string>

inline std::string generatedInput(int64_t lines) {
  static const char* const words[] = {"序号", "file", "文件", "path", "路径", "12345", "字段名", "x", "备注说明", "value"};
  std::mt19937 random(20201);
  std::string text;
  for (int64_t i = 0; i < lines; ++i) {
    for (int field = 0; field < 5; ++field) {
      if (field > 0) text += ',';
      text += words[random() % 10];
      if (random() % 3 == 0) text += words[random() % 10];
    }
    text += "\r\n";
  }
  return text;
}
