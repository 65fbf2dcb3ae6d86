// The icons the build puts into the desktop theme against the icon the live window shows:
// read back through Qt's own PNG reader, the 16-pixel one must be the same pixels and every
// larger one the same picture with each pixel repeated, never blended.
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

#include "tests/window_test_support.h"
#include "ui/form_creation.h"
#include "ui/loaded_forms.h"
#include "ui/main_window.h"

namespace {

void ignoreClick() {}
const NamedHandler kHandlers[] = {{kStartButtonClickHandler, ignoreClick}};

QImage windowIcon() {
  if (!loadForm(MainWindow, kHandlers) || !createForm(unitId::kMainWindow)) return {};
  QImage icon;
  if (QWidget* window = topLevelTitled(u"Cellbrae")) {
    icon = window->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  }
  destroyForm(unitId::kMainWindow);
  pumpEvents();
  return icon;
}

QImage themeIcon(int size) {
  const std::string path = std::string(CELLBRAE_ICON_THEME_DIR) + "/" + std::to_string(size) + "x" +
                           std::to_string(size) + "/apps/cellbrae.png";
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
}

TEST(DesktopIconTest, EveryThemeSizeIsTheWindowIconWithWholePixelsRepeated) {
  const QImage window = windowIcon();
  ASSERT_EQ(window.size(), QSize(16, 16));
  for (const int size : {CELLBRAE_ICON_SIZES}) {
    SCOPED_TRACE(size);
    const QImage theme = themeIcon(size);
    ASSERT_EQ(theme.size(), QSize(size, size));
    const int scale = size / 16;
    int differing = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) differing += theme.pixel(x, y) != window.pixel(x / scale, y / scale);
    }
    EXPECT_EQ(differing, 0);
  }
}

}  // namespace
