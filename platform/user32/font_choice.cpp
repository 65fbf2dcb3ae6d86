// Fonts as the description stores them: character set the platform default, proof quality,
// output and clip precision and pitch-and-family 0. The fixed-pitch CJK families the table is
// drawn in ("宋体") are used where the system really has them on their grid, as Chinese Windows
// does. Elsewhere GDI would substitute a face that is not (Wine gives "宋体" WenQuanYi Zen Hei:
// quotes, dashes and Greek one cell wide or at odd widths), so the grid font built into the
// program stands in, loaded from its own bytes for this process only.
// Heights scale with the DPI, but a grid face keeps its grid only at some pixel heights (an
// ASCII advance of half an em comes out whole at even ones), so the scaled height is moved to
// the nearest one that measures on the grid.
#include "platform/user32/font_choice.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/shared/grid_font.h"
#include "platform/user32/display_scale.h"

namespace user32backend {
namespace {

struct MadeFont {
  std::u16string family;
  int32_t height;
  int32_t weight;
  int dpi;
  HFONT font;
};
std::vector<MadeFont> madeFonts;
HANDLE gridFontResource = nullptr;

// How far from the scaled height a grid height is looked for; every face seen keeps its grid
// at every second height.
constexpr int32_t kGridHeightReach = 3;

HFONT makeFont(const std::string& face, int32_t height, int32_t weight) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                     face.c_str());
}

// True when the face, as GDI gives it at that character height, draws "a" one cell and every
// probe character two.
bool drawsOnGrid(const std::string& face, int32_t pixels) {
  HFONT probe = makeFont(face, -pixels, FW_NORMAL);
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

// The character height nearest height * dpi / 96 at which the face measures on its grid, the
// larger of two as near; the stored height at 96 dpi, and the plain scaled one when none near
// it holds. The regular weight decides: a synthesised bold adds a pixel to every advance at
// any height. Negative in, negative out.
int32_t gridHeight(const std::string& face, int32_t height, int dpi) {
  if (dpi == kLayoutDpi || height >= 0) return toScreen(height, dpi);
  const int32_t wanted96 = -height * dpi;  // the exact scaled height, times 96
  const int32_t nearest = toScreen(-height, dpi);
  int32_t best = 0;
  for (int32_t pixels = nearest + kGridHeightReach; pixels >= nearest - kGridHeightReach && pixels > 0; --pixels) {
    const auto distance = [wanted96](int32_t candidate) { return std::abs(candidate * kLayoutDpi - wanted96); };
    if ((best == 0 || distance(pixels) < distance(best)) && drawsOnGrid(face, pixels)) best = pixels;
  }
  return -(best != 0 ? best : nearest);
}

// The stock font at the system's DPI, or a copy of its record scaled from there to dpi.
HFONT defaultGuiFont(int dpi) {
  auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (dpi == systemDpi()) return stock;
  LOGFONTA record{};
  if (GetObjectA(stock, sizeof record, &record) == 0) return stock;
  record.lfHeight = MulDiv(record.lfHeight, dpi, systemDpi());
  return CreateFontIndirectA(&record);
}

HFONT chooseFont(const FontSpec& wanted, int dpi) {
  if (wanted.family.empty()) return defaultGuiFont(dpi);
  std::string face = platformCodePage().toAnsi(wanted.family);
  if (!isGridFamily(wanted.family)) return makeFont(face, toScreen(wanted.height, dpi), wanted.weight);
  if (!drawsOnGrid(face, kGridProbePixels)) face = gridFace();
  return makeFont(face, gridHeight(face, wanted.height, dpi), wanted.weight);
}

}  // namespace

HFONT fontFor(const FontSpec& wanted, int dpi) {
  for (const MadeFont& made : madeFonts) {
    if (made.family == wanted.family && made.height == wanted.height && made.weight == wanted.weight && made.dpi == dpi) {
      return made.font;
    }
  }
  HFONT font = chooseFont(wanted, dpi);
  if (font != nullptr) madeFonts.push_back({std::u16string(wanted.family), wanted.height, wanted.weight, dpi, font});
  return font;
}

void releaseFonts() {
  auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const MadeFont& made : madeFonts) {
    if (made.font != stock) DeleteObject(made.font);
  }
  madeFonts.clear();
  if (gridFontResource != nullptr) RemoveFontMemResourceEx(gridFontResource);
  gridFontResource = nullptr;
}

}  // namespace user32backend
