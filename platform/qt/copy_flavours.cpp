// What a copy from an edit box offers: the plain text, and HTML that keeps a table's columns
// where the text lands in a rich-text editor. Qt's own HTML (and its OpenDocument flavour)
// sets every line as a paragraph in no font at all, and the receiver's proportional default
// breaks every row; a <pre> in a monospace font list lines the table up wherever one of the
// families exists.
#include <QFontMetricsF>
#include <QMimeData>

#include <memory>

#include "platform/qt/edit_box.h"

namespace qtbackend {
namespace {

// After the box's own family: the families that draw a CJK character two ASCII advances wide,
// those of Chinese Windows (the table's own 宋体) first, then Linux's, nearest first, and last
// the receiver's monospace.
constexpr char kMonospaceFamilies[] =
    "'NSimSun', 'SimSun', 'Sarasa Mono SC', 'Noto Sans Mono CJK SC', 'WenQuanYi Zen Hei Mono', monospace";

// The box's family leads the list only when its ASCII is monospace: the input box's GUI font
// would set the table in a proportional face wherever the receiver has it.
bool isMonospace(const QFont& font) {
  const QFontMetricsF metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('M'));
}

QString fontFamilies(const QFont& font) {
  QString families = QString::fromLatin1(kMonospaceFamilies);
  if (!isMonospace(font)) return families;
  QString own = font.family();
  own.remove(QLatin1Char('\'')).remove(QLatin1Char('\\'));
  return QLatin1Char('\'') + own + QStringLiteral("', ") + families;
}

}  // namespace

QMimeData* EditBox::createMimeDataFromSelection() const {
  const std::unique_ptr<QMimeData> own(QPlainTextEdit::createMimeDataFromSelection());
  auto* offered = new QMimeData;
  const QString text = own->text();
  offered->setText(text);
  offered->setHtml(QStringLiteral("<meta charset=\"utf-8\"><pre style=\"font-family: ") + fontFamilies(font()) +
                   QStringLiteral("\">") + text.toHtmlEscaped() + QStringLiteral("</pre>"));
  return offered;
}

}  // namespace qtbackend
