// Writes the window's own icon as the PNG files of the desktop icon theme, one per size, so
// the menu shows the same picture as the title bar.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "packaging/window_icon_files.h"

// window_icon_png THEME_DIR SIZE...: writes THEME_DIR/<SIZE>x<SIZE>/apps/cellbrae.png for
// each size, which must be a whole multiple of the picture's.
int main(int argc, char** argv) {
  const IconPicture* picture = windowIcon();
  if (argc < 3 || picture == nullptr || picture->width <= 0 || picture->width != picture->height) {
    std::fprintf(stderr, "usage: %s THEME_DIR SIZE... (the window's icon must be square)\n", argv[0]);
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size % picture->width != 0) {
      std::fprintf(stderr, "%s: %s is not a multiple of the icon's %d pixels\n", argv[0], argv[i], picture->width);
      return 2;
    }
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / name / "apps";
    std::filesystem::create_directories(folder);
    const IconBytes png = iconPng(*picture, size / picture->width);
    std::ofstream file(folder / "cellbrae.png", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (folder / "cellbrae.png").c_str());
      return 1;
    }
  }
  return 0;
}
