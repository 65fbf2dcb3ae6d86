// Variant coercion: undefined reads as false, 0 and ""; numbers and booleans convert both
// ways; a text converts to a number only when all of it reads as one, and to a boolean when
// it reads as a number or as a boolean word. Objects and null convert to nothing else.
#include "platform/com/variant_coercion.h"

#include <langinfo.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

using namespace std::string_view_literals;

namespace {

bool isSpace(char16_t unit) { return unit == u' ' || (unit >= u'\t' && unit <= u'\r'); }

std::u16string_view trimmed(std::u16string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
    if (unit != lowerWord[i]) return false;
  }
  return true;
}

// The whole of an already trimmed text as a decimal number; false when any of it is not.
// The boolean rule has trimmed its text before it tries the words, so it is not trimmed twice.
bool readNumber(std::u16string_view text, double* number) {
  if (text.empty() || text.size() > 64) return false;
  // A whole number of up to 15 digits is exact as a double: most answers are row numbers.
  if (text.size() <= 15) {
    double whole = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) whole = whole * 10 + (text[i] - u'0');
    if (i == text.size()) {
      *number = whole;
      return true;
    }
    // After leading digits only a decimal point, an exponent or a hexadecimal "0x" can carry
    // a number on: anything else ends it short of the text, and the library need not say so.
    // The locale's decimal point is read as the library reads it (localeconv would write it
    // into a buffer every thread shares).
    const char16_t next = text[i];
    // The locale is asked last, for a unit none of the others is.
    const bool carriesOn = next == u'.' || next == u'e' || next == u'E' ||
                           (i == 1 && text[0] == u'0' && (next == u'x' || next == u'X')) ||
                           next == static_cast<unsigned char>(*nl_langinfo(RADIXCHAR));
    if (i > 0 && !carriesOn) return false;
  }
  char ascii[65];
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0x80) return false;
    ascii[i] = static_cast<char>(text[i]);
  }
  ascii[text.size()] = '\0';
  char* end = nullptr;
  *number = std::strtod(ascii, &end);
  return end == ascii + text.size();
}

void setNumberText(double number, std::u16string* text) {
  if (std::isnan(number)) {
    *text = u"NaN";
    return;
  }
  if (std::isinf(number)) {
    *text = number > 0 ? u"Infinity" : u"-Infinity";
    return;
  }
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, number);
  text->assign(digits, written.ptr);
}

bool toBoolean(const Variant& from, bool* boolean) {
  switch (from.type) {
    case VariantType::Empty: *boolean = false; return true;
    case VariantType::Boolean: *boolean = from.boolean; return true;
    case VariantType::Double: *boolean = from.number != 0; return true;
    case VariantType::Text: {
      const std::u16string_view text = trimmed(from.text);
      // The words' lengths come from the literals, not from measuring them on every call.
      if (equalsIgnoringCase(text, u"true"sv)) *boolean = true;
      else if (equalsIgnoringCase(text, u"false"sv)) *boolean = false;
      else {
        double number = 0;
        if (!readNumber(text, &number)) return false;
        *boolean = number != 0;
      }
      return true;
    }
    default: return false;
  }
}

bool toDouble(const Variant& from, double* number) {
  switch (from.type) {
    case VariantType::Empty: *number = 0; return true;
    case VariantType::Boolean: *number = from.boolean ? 1 : 0; return true;
    case VariantType::Double: *number = from.number; return true;
    case VariantType::Text: return readNumber(trimmed(from.text), number);
    default: return false;
  }
}

bool toText(const Variant& from, std::u16string* text) {
  switch (from.type) {
    case VariantType::Empty: text->clear(); return true;
    case VariantType::Boolean: *text = from.boolean ? u"true" : u"false"; return true;
    case VariantType::Double: setNumberText(from.number, text); return true;
    case VariantType::Text: *text = from.text; return true;
    default: return false;
  }
}

}  // namespace

void clearVariant(Variant* value) {
  if (value->object != nullptr) platformObjects().release(value->object);
  value->object = nullptr;
  value->type = VariantType::Empty;
  value->boolean = false;
  value->number = 0;
  value->text.clear();  // keeps its capacity for the next result
}

int32_t changeVariantType(const Variant& from, VariantType to, Variant* toValue) {
  if (&from == toValue) {
    Variant copy = from;
    toValue->object = nullptr;  // the reference moves into the copy
    const int32_t status = changeVariantType(copy, to, toValue);
    clearVariant(&copy);
    return status;
  }
  clearVariant(toValue);
  toValue->type = to;
  bool converted = false;
  switch (to) {
    case VariantType::Empty: converted = true; break;
    case VariantType::Null: converted = from.type == VariantType::Null; break;
    case VariantType::Boolean: converted = toBoolean(from, &toValue->boolean); break;
    case VariantType::Double: converted = toDouble(from, &toValue->number); break;
    case VariantType::Text: converted = toText(from, &toValue->text); break;
    case VariantType::Object:
      converted = from.type == VariantType::Object && from.object != nullptr;
      if (converted) {
        platformObjects().addReference(from.object);
        toValue->object = from.object;
      }
      break;
  }
  if (converted) return ObjectOk;
  clearVariant(toValue);
  toValue->type = to;
  return ObjectTypeMismatch;
}
