// Writes the window's own icon as the PNG files of the desktop icon theme, one per size, so
// the menu shows the same picture as the title bar. Each size is a whole multiple of the
// picture, every pixel repeated, so the larger icons stay as sharp as the small one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace {

// The picture's palette as ui/form_description.h defines it; any other character is
// transparent, as it is in the window. Index order is the PNG palette order.
constexpr char kPaletteKeys[] = {'.', '#', 'g', 'w'};
constexpr uint8_t kPaletteRgb[] = {0, 0, 0, 0, 0, 0, 0xC0, 0xC0, 0xC0, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kPaletteAlpha[] = {0, 0xFF, 0xFF, 0xFF};

uint8_t paletteIndex(char key) {
  for (uint8_t i = 1; i < sizeof kPaletteKeys; ++i) {
    if (kPaletteKeys[i] == key) return i;
  }
  return 0;
}

using Bytes = std::vector<uint8_t>;

void appendBigEndian(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void appendChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  appendBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  appendBigEndian(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

// A zlib stream of stored (uncompressed) blocks: an icon is small, and this keeps the tool
// free of any library.
Bytes storedZlib(const Bytes& raw) {
  Bytes out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - at, 0xFFFF);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(~length));
    out.push_back(static_cast<uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  appendBigEndian(out, (b << 16) | a);
  return out;
}

// The picture scaled by `scale` as an 8-bit palette PNG with transparency.
Bytes iconPng(const IconPicture& picture, int32_t scale) {
  const uint32_t width = picture.width * scale, height = picture.height * scale;
  Bytes raw;
  raw.reserve((width + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (uint32_t x = 0; x < width; ++x) raw.push_back(paletteIndex(picture.rows[y / scale][x / scale]));
  }
  Bytes header;
  appendBigEndian(header, width);
  appendBigEndian(header, height);
  header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(png, "IHDR", header);
  appendChunk(png, "PLTE", Bytes(std::begin(kPaletteRgb), std::end(kPaletteRgb)));
  appendChunk(png, "tRNS", Bytes(std::begin(kPaletteAlpha), std::end(kPaletteAlpha)));
  appendChunk(png, "IDAT", storedZlib(raw));
  appendChunk(png, "IEND", {});
  return png;
}

const IconPicture* windowIcon() {
  for (const UnitRecord& unit : MainWindow.units) {
    if (unit.unitId == MainWindow.unitId) return unit.settings.icon;
  }
  return nullptr;
}

}  // namespace

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
    const Bytes png = iconPng(*picture, size / picture->width);
    std::ofstream file(folder / "cellbrae.png", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (folder / "cellbrae.png").c_str());
      return 1;
    }
  }
  return 0;
}
