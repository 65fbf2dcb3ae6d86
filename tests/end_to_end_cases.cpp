// Reads the shared case list. Its texts are UTF-8 with escapes; the program holds GBK, so each
// literal run goes through the platform's own code page and each escape adds its bytes as
// they are (a \xHH can so put a broken byte into the input on purpose).
#include "tests/end_to_end_cases.h"

#include <cstdint>
#include <stdexcept>

#include "platform/code_page.h"
#include "tests/end_to_end_case_list.h"  // generated: kEndToEndCaseList

namespace {

[[noreturn]] void fail(int line, const std::string& why) {
  throw std::runtime_error("end_to_end.txt line " + std::to_string(line) + ": " + why);
}

// UTF-8 to UTF-16; the list is our own file, so malformed UTF-8 is a fault in it.
std::u16string utf16(std::string_view utf8, int line) {
  std::u16string wide;
  size_t at = 0;
  while (at < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > utf8.size()) fail(line, "malformed UTF-8");
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
    at += length;
    if (code < 0x10000) {
      wide += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (code >> 10));
      wide += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
  }
  return wide;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The GBK bytes of an escaped text; stops at an unescaped `end` when one is given, and leaves
// `at` after it.
std::string unescape(std::string_view text, size_t& at, int line, char end = '\0') {
  std::string bytes;
  std::string literal;
  auto flush = [&] {
    bytes += platformCodePage().toAnsi(utf16(literal, line));
    literal.clear();
  };
  while (at < text.size()) {
    const char c = text[at++];
    if (end != '\0' && c == end) {
      flush();
      return bytes;
    }
    if (c != '\\') {
      literal += c;
      continue;
    }
    flush();
    if (at >= text.size()) fail(line, "a lone backslash at the end");
    const char kind = text[at++];
    switch (kind) {
      case 'r': bytes += '\r'; break;
      case 'n': bytes += '\n'; break;
      case 't': bytes += '\t'; break;
      case 's': bytes += ' '; break;
      case '\\': bytes += '\\'; break;
      case 'x': {
        const int high = at + 1 < text.size() ? hexDigit(text[at]) : -1;
        const int low = high >= 0 ? hexDigit(text[at + 1]) : -1;
        if (low < 0) fail(line, "\\x needs two hex digits");
        bytes += static_cast<char>(high * 16 + low);
        at += 2;
        break;
      }
      case '*': {
        size_t count = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') count = count * 10 + (text[at++] - '0');
        if (at >= text.size() || text[at] != '{') fail(line, "\\*N needs {text}");
        ++at;
        const std::string piece = unescape(text, at, line, '}');
        for (size_t i = 0; i < count; ++i) bytes += piece;
        break;
      }
      default: fail(line, std::string("unknown escape \\") + kind);
    }
  }
  if (end != '\0') fail(line, "a \\*N{ without its }");
  flush();
  return bytes;
}

char separatorNamed(std::string_view name, int line) {
  if (name == "tab") return '\t';
  if (name == "space") return ' ';
  if (name == "comma") return ',';
  fail(line, "separator is tab, space or comma");
}

}  // namespace

std::vector<EndToEndCase> parseEndToEndCases(std::string_view list) {
  std::vector<EndToEndCase> cases;
  std::string* field = nullptr;  // the text that indented lines go on
  std::string pending;           // its escaped source, unescaped when the field ends
  int fieldLine = 0;
  auto endField = [&] {
    if (field != nullptr) {
      size_t at = 0;
      *field = unescape(pending, at, fieldLine);
    }
    field = nullptr;
    pending.clear();
  };
  bool hasSeparator = false, hasInput = false, hasOutput = false;
  auto endCase = [&](int line) {
    endField();
    if (!cases.empty() && !(hasSeparator && hasInput && hasOutput)) {
      fail(line, "case \"" + cases.back().name + "\" lacks its separator, input or output");
    }
    hasSeparator = hasInput = hasOutput = false;
  };

  int line = 0;
  size_t start = 0;
  while (start <= list.size()) {
    size_t stop = list.find('\n', start);
    if (stop == std::string_view::npos) stop = list.size();
    std::string_view text = list.substr(start, stop - start);
    start = stop + 1;
    ++line;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);

    if (text.substr(0, 2) == "  ") {
      if (field == nullptr) fail(line, "an indented line outside a field");
      pending += text.substr(2);
      continue;
    }
    endField();
    if (text.empty() || text[0] == '#') continue;
    const size_t space = text.find(' ');
    const std::string_view key = text.substr(0, space);
    const std::string_view value = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    if (key == "case") {
      endCase(line);
      cases.push_back(EndToEndCase{std::string(value), ',', {}, {}, std::nullopt});
      continue;
    }
    if (cases.empty()) fail(line, "a field before the first case");
    EndToEndCase& current = cases.back();
    if (key == "separator") {
      current.separator = separatorNamed(value, line);
      hasSeparator = true;
      continue;
    }
    if (key == "input") {
      field = &current.input;
      hasInput = true;
    } else if (key == "output") {
      field = &current.output;
      hasOutput = true;
    } else if (key == "store") {
      current.cellStore.emplace();
      field = &*current.cellStore;
    } else {
      fail(line, "unknown field " + std::string(key));
    }
    pending = value;
    fieldLine = line;
  }
  endCase(line);
  return cases;
}

std::vector<EndToEndCase> endToEndCases() { return parseEndToEndCases(kEndToEndCaseList); }

const char16_t* radioBoxFor(char separator) {
  switch (separator) {
    case '\t': return u"单选框1";
    case ' ': return u"单选框2";
    default: return u"单选框3";
  }
}
