// The resources of the real cellbrae.exe, read back through the system's own readers as
// Explorer reads them: the version of the project at every place it shows, the icon as the
// window's picture at each of its sizes, and the manifest as it stands in the sources.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/windows/child_process.h"
#include "tests/windows/program_manifest.h"
#include "ui/main_window.h"

namespace {

std::string programPath() { return besideTests(CELLBRAE_PROGRAM_FROM_TESTS); }

// The program's file opened for its resources only; nothing of it runs.
class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string resourceBytes(LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module_, name, type);
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return std::string(bytes, SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

// The program file's own header, read as the loader reads it: a 32-bit program that does not
// say it copes with addresses above 2 GB gets only the lower 2 GB of its 4 GB.
TEST(ProgramFile, TheProgramTakesTheWholeAddressSpaceItIsGiven) {
  std::ifstream file(programPath(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, bytes.data(), sizeof dos);
  ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_GT(bytes.size(), dos.e_lfanew + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER));
  IMAGE_FILE_HEADER header;
  std::memcpy(&header, bytes.data() + dos.e_lfanew + sizeof(DWORD), sizeof header);
  EXPECT_EQ(header.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

struct VersionInfo {
  std::vector<char> block;
  std::string text(const char* name) const {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) return "<none>";
    return std::string(value, length > 0 ? length - 1 : 0);
  }
};

TEST_F(ProgramResources, VersionIsTheProjectsEverywhereExplorerShowsIt) {
  const std::string path = programPath();
  VersionInfo info;
  info.block.resize(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_FALSE(info.block.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.block.size()), info.block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD high = MAKELONG(CELLBRAE_VERSION_MINOR, CELLBRAE_VERSION_MAJOR);
  const DWORD low = MAKELONG(0, CELLBRAE_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);  // Simplified Chinese
  EXPECT_EQ(translation[1], 1200);    // UTF-16

  EXPECT_EQ(info.text("FileVersion"), CELLBRAE_VERSION);
  EXPECT_EQ(info.text("ProductVersion"), CELLBRAE_VERSION);
  EXPECT_EQ(info.text("ProductName"), "Cellbrae");
  EXPECT_EQ(info.text("FileDescription"), "Cellbrae");
  EXPECT_EQ(info.text("OriginalFilename"), "cellbrae.exe");
  EXPECT_EQ(info.text("InternalName"), "cellbrae");
  EXPECT_EQ(info.text("CompanyName"), "Cellbrae developers");
  EXPECT_EQ(info.text("LegalCopyright"), "Copyright (c) 2026 Cellbrae developers");
}

// The window's picture as 0xAARRGGBB, scaled by repeating each pixel.
uint32_t expectedPixel(const IconPicture& picture, int size, int x, int y) {
  switch (picture.rows[y * picture.height / size][x * picture.width / size]) {
    case '#': return 0xFF000000u;
    case 'g': return 0xFFC0C0C0u;
    case 'w': return 0xFFFFFFFFu;
    default: return 0x00000000u;
  }
}

const IconPicture& windowPicture() {
  return *MainWindow.units.front().settings.icon;
}

// The icon group lists one image per size, all 32-bit; 0 stands for 256.
TEST_F(ProgramResources, IconGroupHoldsTheFourSizes) {
  const std::string group = resourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
  ASSERT_EQ(group.size(), 6u + 4 * 14);
  auto word = [&](size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(group[at]) | static_cast<uint8_t>(group[at + 1]) << 8); };
  EXPECT_EQ(word(2), 1u);  // icons
  EXPECT_EQ(word(4), 4u);
  const unsigned sides[] = {16, 32, 48, 0};
  for (size_t i = 0; i < 4; ++i) {
    const size_t entry = 6 + 14 * i;
    EXPECT_EQ(static_cast<uint8_t>(group[entry]), sides[i]) << i;
    EXPECT_EQ(static_cast<uint8_t>(group[entry + 1]), sides[i]) << i;
    EXPECT_EQ(word(entry + 6), 32u) << i;  // bits per pixel
  }
}

// What Explorer, the Start menu and the taskbar draw: the system picks the image of the size
// asked for and gives it back as it will draw it, the same picture as the title bar's.
TEST_F(ProgramResources, IconIsTheWindowsPictureAtEverySize) {
  const IconPicture& picture = windowPicture();
  ASSERT_EQ(picture.width, 16);
  for (const int size : {16, 32, 48, 256}) {
    SCOPED_TRACE(size);
    auto icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    ASSERT_EQ(rows, size);
    int differing = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) differing += pixels[y * size + x] != expectedPixel(picture, size, x, y);
    }
    EXPECT_EQ(differing, 0);
  }
}

// Byte for byte the file the window tests' programs carry too, so what they show of the
// system's controls holds for the program.
TEST_F(ProgramResources, ManifestIsTheOneInTheSources) {
  EXPECT_EQ(resourceBytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID),
            std::string(kProgramManifest));
}

}  // namespace
