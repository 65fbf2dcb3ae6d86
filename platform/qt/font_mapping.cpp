// Fonts named by Windows programs rarely exist on Linux. The fixed-pitch CJK families the
// table is drawn in only line it up when every GBK character is exactly two ASCII advances
// wide, which no font Debian ships does; the built-in grid font does, and stands in for them.
#include "platform/qt/font_mapping.h"

#include <QApplication>
#include <QByteArray>
#include <QFontDatabase>
#include <QFontMetricsF>

#include "platform/shared/grid_font.h"

namespace qtbackend {
namespace {

// True when family exists and draws "a" one cell and every probe character two, by its own
// glyphs (no other font merged in), at design widths.
bool drawsOnGrid(const QString& family) {
  if (!QFontDatabase::hasFamily(family)) return false;
  QFont probe(family);
  probe.setPixelSize(kGridProbePixels);
  probe.setStyleStrategy(QFont::NoFontMerging);
  probe.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF metrics(probe);
  const qreal cell = metrics.horizontalAdvance(QLatin1Char('a'));
  if (cell <= 0) return false;
  for (const char16_t c : kGridProbeCharacters) {
    if (!metrics.inFont(QChar(c)) || metrics.horizontalAdvance(QChar(c)) != 2 * cell) return false;
  }
  return true;
}

// The grid font's family, loaded from the program's own bytes the first time it is wanted
// (and again should a new application have dropped it).
QString gridFontFamily() {
  const QString family = QString::fromStdU16String(std::u16string(kGridFontFamily));
  if (!QFontDatabase::hasFamily(family)) {
    const std::span<const unsigned char> bytes = gridFontBytes();
    QFontDatabase::addApplicationFontFromData(
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  }
  return family;
}

}  // namespace

QFont mappedFont(const FontSpec& wanted) {
  if (wanted.family.empty()) return QApplication::font();
  QFont font;
  font.setPixelSize(wanted.height < 0 ? -wanted.height : (wanted.height > 0 ? wanted.height : 12));
  font.setWeight(static_cast<QFont::Weight>(wanted.weight > 0 ? wanted.weight : 400));
  font.setStyleStrategy(QFont::PreferQuality);
  QString family = QString::fromStdU16String(std::u16string(wanted.family));
  if (isGridFamily(wanted.family) && !drawsOnGrid(family)) family = gridFontFamily();
  font.setFamily(family);
  return font;
}

}  // namespace qtbackend
