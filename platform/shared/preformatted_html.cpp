// The family list and the escaping of the copied <pre>, written once for both backends.
#include "platform/shared/preformatted_html.h"

#include "platform/shared/utf8.h"

namespace {

// After the box's own family: the families that draw a CJK character two ASCII advances wide,
// those of Chinese Windows (the table's own 宋体) first, then Linux's, nearest first, and last
// the receiver's monospace.
constexpr std::string_view kMonospaceFamilies =
    "'NSimSun', 'SimSun', 'Sarasa Mono SC', 'Noto Sans Mono CJK SC', 'WenQuanYi Zen Hei Mono', monospace";

// Appends text as UTF-8; with `escape`, the characters HTML gives a meaning to as entities.
void appendText(std::string& out, std::u16string_view text, bool escape) {
  for (size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    if (code >= 0xD800 && code <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++at] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (escape) {
      switch (code) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        default: break;
      }
    }
    appendUtf8(out, code);
  }
}

}  // namespace

std::string preformattedHtml(std::u16string_view text, std::u16string_view ownFamily) {
  std::string html = "<pre style=\"font-family: ";
  if (!ownFamily.empty()) {
    // Quoted in the style's own quotes; a quote or backslash in the name would end them.
    std::u16string family;
    for (char16_t c : ownFamily) {
      if (c != u'\'' && c != u'\\' && c != u'"') family += c;
    }
    html += '\'';
    appendText(html, family, true);
    html += "', ";
  }
  html += kMonospaceFamilies;
  html += "\">";
  appendText(html, text, true);
  html += "</pre>";
  return html;
}
