// Writes the window's own icon as the Windows program's icon file, so Explorer, the Start
// menu and the taskbar show the picture the title bar shows. Built for the machine that
// builds, not for Windows: the cross build runs it to make the file its resources embed.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "packaging/window_icon_files.h"

// window_icon_ico OUTPUT SIZE...: each size a whole multiple of the picture's, 256 at most.
int main(int argc, char** argv) {
  const IconPicture* picture = windowIcon();
  if (argc < 3 || picture == nullptr || picture->width <= 0 || picture->width != picture->height) {
    std::fprintf(stderr, "usage: %s OUTPUT SIZE... (the window's icon must be square)\n", argv[0]);
    return 2;
  }
  std::vector<int32_t> sizes;
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size > 256 || size % picture->width != 0) {
      std::fprintf(stderr, "%s: %s is not a multiple of the icon's %d pixels up to 256\n", argv[0], argv[i],
                   picture->width);
      return 2;
    }
    sizes.push_back(size);
  }
  const IconBytes ico = iconIco(*picture, sizes);
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  if (!file.flush()) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
