// Cellbrae Grid, the output box's font wherever "宋体" is missing or does not really draw on
// its grid: every ASCII character one cell wide and every GBK double-byte character two, so
// the table lines up on screen. Built into the program, so start-up looks for no font file.
#pragma once

#include <span>
#include <string_view>

// The family name the font declares once it is loaded.
inline constexpr std::u16string_view kGridFontFamily = u"Cellbrae Grid";

// The characters a family is measured on before it may draw the table: "a" must advance one
// cell and each of these exactly two. Ordinary CJK fonts draw these (quotes, dashes, signs,
// pinyin, Greek, Cyrillic, box drawing, kana) one cell wide or at odd widths.
inline constexpr std::u16string_view kGridProbeCharacters = u"文“”‘’—×·°±÷ǚíαЖ─ぁ≒";

// The pixel size families are measured at: large enough that a design advance of half an em
// comes out whole, whatever the hinting.
inline constexpr int kGridProbePixels = 100;

// True for the fixed-pitch CJK families the description's fonts name ("宋体" and its
// English names); they are the ones the grid font stands in for.
bool isGridFamily(std::u16string_view family);

// The font's OpenType file, in the program's read-only data for as long as it runs.
std::span<const unsigned char> gridFontBytes();
