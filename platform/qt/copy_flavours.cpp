// What a copy from an edit box offers: the plain text, and HTML that keeps a table's columns
// where the text lands in a rich-text editor (platform/shared/preformatted_html.h). Qt's own
// HTML (and its OpenDocument flavour) sets every line as a paragraph in no font at all, and
// the receiver's proportional default breaks every row.
#include <QFontMetricsF>
#include <QMimeData>

#include "platform/qt/edit_box.h"
#include "platform/shared/preformatted_html.h"

namespace qtbackend {
namespace {

// The box's family leads the list only when its ASCII is monospace: the input box's GUI font
// would set the table in a proportional face wherever the receiver has it.
bool isMonospace(const QFont& font) {
  const QFontMetricsF metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('M'));
}

}  // namespace

QMimeData* EditBox::createMimeDataFromSelection() const {
  auto* offered = new QMimeData;
  const QString text = copiedText(textCursor());
  offered->setText(text);
  const std::u16string family = isMonospace(font()) ? font().family().toStdU16String() : std::u16string();
  // Said, not left for the receiver to guess.
  const std::string html = "<meta charset=\"utf-8\">" + preformattedHtml(text.toStdU16String(), family);
  offered->setData(QStringLiteral("text/html"), QByteArray(html.data(), static_cast<qsizetype>(html.size())));
  return offered;
}

}  // namespace qtbackend
