// Fonts as the description stores them: character set the platform default, proof quality,
// output and clip precision and pitch-and-family 0. A family the system lacks would otherwise
// get whatever GDI substitutes; for the CJK fixed-pitch families that is often a
// proportional face (Wine gives "宋体" the proportional WenQuanYi Zen Hei: at height -14 an
// ASCII advance of 8 beside a CJK advance of 14), and the table in the output box no longer
// lines up.
#include "platform/user32/font_choice.h"

#include <string>
#include <vector>

#include "platform/code_page.h"

namespace user32backend {
namespace {

struct MadeFont {
  std::u16string family;
  int32_t height;
  int32_t weight;
  HFONT font;
};
std::vector<MadeFont> madeFonts;

// "宋体" first: the family as stored; the last ships with fonts-wqy-zenhei.
const char16_t* const kCjkFixedPitchFamilies[] = {u"宋体", u"SimSun", u"NSimSun", u"WenQuanYi Zen Hei Mono"};

bool isCjkFixedPitch(std::u16string_view family) {
  for (const char16_t* candidate : kCjkFixedPitchFamilies) {
    if (family == candidate) return true;
  }
  return false;
}

HFONT makeFont(const std::string& face, const FontSpec& wanted) {
  return CreateFontA(wanted.height, 0, 0, 0, wanted.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                     PROOF_QUALITY, 0, face.c_str());
}

int CALLBACK noteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool isInstalled(HDC screen, const std::string& face) {
  if (face.size() >= LF_FACESIZE) return false;
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  face.copy(query.lfFaceName, face.size());
  bool found = false;
  EnumFontFamiliesExA(screen, &query, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

bool hasTwoToOneAdvance(HDC screen, HFONT font) {
  const HGDIOBJ previous = SelectObject(screen, font);
  SIZE ascii{};
  SIZE cjk{};
  const bool measured = GetTextExtentPoint32W(screen, L"a", 1, &ascii) && GetTextExtentPoint32W(screen, L"\x6587", 1, &cjk);
  SelectObject(screen, previous);
  return measured && ascii.cx > 0 && cjk.cx == 2 * ascii.cx;
}

HFONT chooseFont(const FontSpec& wanted) {
  const std::string face = platformCodePage().toAnsi(wanted.family);
  HDC screen = GetDC(nullptr);
  HFONT chosen = nullptr;
  std::string fallback = face;
  if (isCjkFixedPitch(wanted.family) && !isInstalled(screen, face)) {
    // At some sizes no stand-in keeps 2:1 (a synthesised bold widens every glyph by one
    // pixel); the first installed one is still nearer than GDI's own pick.
    bool fallbackFound = false;
    for (const char16_t* candidate : kCjkFixedPitchFamilies) {
      const std::string standIn = platformCodePage().toAnsi(candidate);
      if (!isInstalled(screen, standIn)) continue;
      if (!fallbackFound) fallback = standIn;
      fallbackFound = true;
      HFONT font = makeFont(standIn, wanted);
      if (font != nullptr && hasTwoToOneAdvance(screen, font)) {
        chosen = font;
        break;
      }
      if (font != nullptr) DeleteObject(font);
    }
  }
  ReleaseDC(nullptr, screen);
  return chosen != nullptr ? chosen : makeFont(fallback, wanted);
}

}  // namespace

HFONT fontFor(const FontSpec& wanted) {
  if (wanted.family.empty()) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const MadeFont& made : madeFonts) {
    if (made.family == wanted.family && made.height == wanted.height && made.weight == wanted.weight) return made.font;
  }
  HFONT font = chooseFont(wanted);
  if (font != nullptr) madeFonts.push_back({std::u16string(wanted.family), wanted.height, wanted.weight, font});
  return font;
}

void releaseFonts() {
  for (const MadeFont& made : madeFonts) DeleteObject(made.font);
  madeFonts.clear();
}

}  // namespace user32backend
