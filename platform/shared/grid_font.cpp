// The grid font's bytes, placed into the program's read-only data by the assembler straight
// from the file the build generates (generated/grid_font_file.h names it and the section),
// so a six-megabyte font costs the compiler nothing.
#include "platform/shared/grid_font.h"

#include "grid_font_file.h"

asm(CELLBRAE_GRID_FONT_SECTION "\n"
    ".balign 16\n"
    ".globl cellbrae_grid_font_begin\n"
    "cellbrae_grid_font_begin:\n"
    ".incbin \"" CELLBRAE_GRID_FONT_FILE "\"\n"
    ".globl cellbrae_grid_font_end\n"
    "cellbrae_grid_font_end:\n"
    ".text\n");

extern "C" const unsigned char gridFontBegin[] asm("cellbrae_grid_font_begin");
extern "C" const unsigned char gridFontEnd[] asm("cellbrae_grid_font_end");

std::span<const unsigned char> gridFontBytes() { return {gridFontBegin, gridFontEnd}; }

bool isGridFamily(std::u16string_view family) {
  return family == u"宋体" || family == u"SimSun" || family == u"NSimSun";
}
