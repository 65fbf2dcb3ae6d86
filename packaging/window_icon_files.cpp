// PNG and ICO writers small enough to need no library: an icon is a few kilobytes, so the PNG
// keeps its pixels in stored (uncompressed) deflate blocks.
#include "packaging/window_icon_files.h"

#include <algorithm>
#include <iterator>

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

void appendBigEndian(IconBytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendLittleEndian(IconBytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void appendChunk(IconBytes& out, const char (&type)[5], const IconBytes& data) {
  appendBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  appendBigEndian(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

IconBytes storedZlib(const IconBytes& raw) {
  IconBytes out = {0x78, 0x01};
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

// A 32-bit bitmap as an icon holds it: the header gives twice the height (colour rows, then
// mask rows), both bottom-up; a set mask bit is a transparent pixel, for drawing paths that
// ignore the alpha.
IconBytes iconBitmap(const IconPicture& picture, int32_t scale) {
  const int32_t size = picture.width * scale;
  const int32_t maskStride = (size + 31) / 32 * 4;
  IconBytes out;
  appendLittleEndian(out, 40, 4);  // BITMAPINFOHEADER
  appendLittleEndian(out, static_cast<uint32_t>(size), 4);
  appendLittleEndian(out, static_cast<uint32_t>(2 * size), 4);
  appendLittleEndian(out, 1, 2);   // planes
  appendLittleEndian(out, 32, 2);  // bits per pixel
  appendLittleEndian(out, 0, 4);   // BI_RGB
  appendLittleEndian(out, static_cast<uint32_t>(size * size * 4 + maskStride * size), 4);
  out.resize(out.size() + 16, 0);  // resolution and palette counts
  IconBytes mask(static_cast<size_t>(maskStride) * size, 0);
  for (int32_t row = 0; row < size; ++row) {
    const int32_t y = size - 1 - row;
    for (int32_t x = 0; x < size; ++x) {
      const uint8_t index = paletteIndex(picture.rows[y / scale][x / scale]);
      const uint8_t* rgb = kPaletteRgb + 3 * index;
      out.insert(out.end(), {rgb[2], rgb[1], rgb[0], kPaletteAlpha[index]});
      if (kPaletteAlpha[index] == 0) mask[static_cast<size_t>(row) * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

}  // namespace

const IconPicture* windowIcon() {
  for (const UnitRecord& unit : MainWindow.units) {
    if (unit.unitId == MainWindow.unitId) return unit.settings.icon;
  }
  return nullptr;
}

IconBytes iconPng(const IconPicture& picture, int32_t scale) {
  const uint32_t width = picture.width * scale, height = picture.height * scale;
  IconBytes raw;
  raw.reserve((width + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (uint32_t x = 0; x < width; ++x) raw.push_back(paletteIndex(picture.rows[y / scale][x / scale]));
  }
  IconBytes header;
  appendBigEndian(header, width);
  appendBigEndian(header, height);
  header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace

  IconBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(png, "IHDR", header);
  appendChunk(png, "PLTE", IconBytes(std::begin(kPaletteRgb), std::end(kPaletteRgb)));
  appendChunk(png, "tRNS", IconBytes(std::begin(kPaletteAlpha), std::end(kPaletteAlpha)));
  appendChunk(png, "IDAT", storedZlib(raw));
  appendChunk(png, "IEND", {});
  return png;
}

IconBytes iconIco(const IconPicture& picture, std::span<const int32_t> sizes) {
  std::vector<IconBytes> images;
  for (const int32_t size : sizes) {
    const int32_t scale = size / picture.width;
    images.push_back(size >= 256 ? iconPng(picture, scale) : iconBitmap(picture, scale));
  }
  IconBytes ico;
  appendLittleEndian(ico, 0, 2);  // reserved
  appendLittleEndian(ico, 1, 2);  // an icon, not a cursor
  appendLittleEndian(ico, static_cast<uint32_t>(images.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t side = sizes[i] >= 256 ? 0 : static_cast<uint8_t>(sizes[i]);  // 0 stands for 256
    ico.insert(ico.end(), {side, side, 0, 0});  // no palette, reserved
    appendLittleEndian(ico, 1, 2);   // planes
    appendLittleEndian(ico, 32, 2);  // bits per pixel
    appendLittleEndian(ico, static_cast<uint32_t>(images[i].size()), 4);
    appendLittleEndian(ico, offset, 4);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const IconBytes& image : images) ico.insert(ico.end(), image.begin(), image.end());
  return ico;
}
