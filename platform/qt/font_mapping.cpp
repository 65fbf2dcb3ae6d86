// Fonts named by Windows programs rarely exist on Linux. Text laid out in the fixed-pitch
// CJK families only lines up when a CJK glyph is exactly two ASCII advances wide, so the
// stand-in is chosen by measuring, not by name alone.
#include "platform/qt/font_mapping.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

namespace qtbackend {
namespace {

// Families tried in order for a CJK fixed-pitch font; the last ships in fonts-wqy-zenhei.
const QStringList& cjkFixedPitchFamilies() {
  static const QStringList families{QStringLiteral(u"宋体"), QStringLiteral(u"SimSun"),
                                    QStringLiteral(u"NSimSun"), QStringLiteral(u"WenQuanYi Zen Hei Mono")};
  return families;
}

bool hasTwoToOneAdvance(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal ascii = metrics.horizontalAdvance(QLatin1Char('a'));
  return ascii > 0 && metrics.horizontalAdvance(QString(QChar(0x6587))) == 2 * ascii;
}

}  // namespace

QFont mappedFont(const FontSpec& wanted) {
  if (wanted.family.empty()) return QApplication::font();
  QFont font;
  font.setPixelSize(wanted.height < 0 ? -wanted.height : (wanted.height > 0 ? wanted.height : 12));
  font.setWeight(static_cast<QFont::Weight>(wanted.weight > 0 ? wanted.weight : 400));
  font.setStyleStrategy(QFont::PreferQuality);
  const QString family = QString::fromStdU16String(std::u16string(wanted.family));
  font.setFamily(family);
  if (!cjkFixedPitchFamilies().contains(family) || QFontDatabase::hasFamily(family)) return font;
  QString fallback;
  for (const QString& candidate : cjkFixedPitchFamilies()) {
    if (!QFontDatabase::hasFamily(candidate)) continue;
    if (fallback.isEmpty()) fallback = candidate;
    font.setFamily(candidate);
    if (hasTwoToOneAdvance(font)) return font;
  }
  font.setFamily(fallback.isEmpty() ? family : fallback);
  return font;
}

}  // namespace qtbackend
