// The HTML a copy from an edit box offers beside its text: one <pre> in a list of monospace
// families, so that a rich-text editor keeps a table's columns instead of setting the rows
// in its proportional default. Both window backends offer it, each in its system's wrapping.
#pragma once

#include <string>
#include <string_view>

// Returns text as one <pre> element, in UTF-8, escaped for HTML. ownFamily (the box's font,
// given only when it is monospace) leads the family list; empty, the list stands alone.
// A lone surrogate in text becomes U+FFFD.
std::string preformattedHtml(std::u16string_view text, std::u16string_view ownFamily);
