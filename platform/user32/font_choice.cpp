// Fonts as the description stores them: character set the platform default, proof quality,
// output and clip precision and pitch-and-family 0. The fixed-pitch CJK families the table is
// drawn in ("宋体") are used where the system really has them on their grid, as Chinese Windows
// does. Elsewhere GDI would substitute a face that is not (Wine gives "宋体" WenQuanYi Zen Hei:
// quotes, dashes and Greek one cell wide or at odd widths), so the grid font built into the
// program stands in, loaded from its own bytes for this process only.
#include "platform/user32/font_choice.h"

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/shared/grid_font.h"

namespace user32backend {
namespace {

struct MadeFont {
  std::u16string family;
  int32_t height;
  int32_t weight;
  HFONT font;
};
std::vector<MadeFont> madeFonts;
HANDLE gridFontResource = nullptr;

HFONT makeFont(const std::string& face, int32_t height, int32_t weight) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                     face.c_str());
}

// True when the face, as GDI gives it, draws "a" one cell and every probe character two.
bool drawsOnGrid(const std::string& face) {
  HFONT probe = makeFont(face, -kGridProbePixels, FW_NORMAL);
  if (probe == nullptr) return false;
  HDC screen = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(screen, probe);
  SIZE cell{};
  bool onGrid = GetTextExtentPoint32W(screen, L"a", 1, &cell) && cell.cx > 0;
  for (const char16_t c : kGridProbeCharacters) {
    const wchar_t wide = c;
    SIZE size{};
    onGrid = onGrid && GetTextExtentPoint32W(screen, &wide, 1, &size) && size.cx == 2 * cell.cx;
  }
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  DeleteObject(probe);
  return onGrid;
}

// The grid font's face name, after loading the font privately the first time it is wanted.
std::string gridFace() {
  if (gridFontResource == nullptr) {
    const std::span<const unsigned char> bytes = gridFontBytes();
    DWORD fonts = 0;
    gridFontResource = AddFontMemResourceEx(const_cast<unsigned char*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                            nullptr, &fonts);
  }
  return platformCodePage().toAnsi(kGridFontFamily);
}

HFONT chooseFont(const FontSpec& wanted) {
  std::string face = platformCodePage().toAnsi(wanted.family);
  if (isGridFamily(wanted.family) && !drawsOnGrid(face)) face = gridFace();
  return makeFont(face, wanted.height, wanted.weight);
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
  if (gridFontResource != nullptr) RemoveFontMemResourceEx(gridFontResource);
  gridFontResource = nullptr;
}

}  // namespace user32backend
