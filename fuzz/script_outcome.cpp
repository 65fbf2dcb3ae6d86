// Both engines' answers in the control's terms. The reference side goes through the same
// helpers the control uses (errorNumberOf, splitCompileLine, traceLine, decodeScriptText), so
// a difference here is a difference in the interpreters, not in how their words were read.
#include "fuzz/script_outcome.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/mujs/script_error.h"
#include "platform/mujs/script_text.h"
#include "platform/shared/utf8.h"

namespace {

constexpr std::u16string_view kCompilationSource = u"JavaScript compilation error";

// The compile errors' file name, as both engines compile every text under it.
constexpr std::string_view kFileName = "script";

int32_t memberId(const ObjectClass& control, std::u16string_view name) {
  uint32_t kinds = 0;
  return control.bindMember(name, &kinds);
}

Variant errorMember(PlatformObject* error, std::u16string_view name, VariantType want) {
  Variant value;
  platformObjects().access(error, name, MemberAccess::Get, nullptr, 0, want, &value);
  return value;
}

}  // namespace

ScriptOutcome controlOutcome(const ObjectClass& control, void* instance, int32_t status, const Variant* result) {
  ScriptOutcome outcome;
  if (status == ObjectOk) {
    outcome.succeeded = true;
    if (result != nullptr) {
      outcome.type = result->type;
      outcome.boolean = result->boolean;
      outcome.number = result->number;
      outcome.text = result->text;
    }
    return outcome;
  }
  static const int32_t errorMemberId = memberId(control, u"Error");
  Variant answer;
  control.invoke(instance, errorMemberId, InvokePropertyGet, nullptr, 0, &answer);
  PlatformObject* error = answer.object;
  outcome.compiling = errorMember(error, u"Source", VariantType::Text).text == kCompilationSource;
  outcome.errorNumber = static_cast<int32_t>(errorMember(error, u"Number", VariantType::Double).number);
  outcome.description = errorMember(error, u"Description", VariantType::Text).text;
  outcome.line = static_cast<int32_t>(errorMember(error, u"Line", VariantType::Double).number);
  platformObjects().release(error);
  return outcome;
}

ScriptOutcome referenceOutcome(const ReferenceOutcome& reference) {
  ScriptOutcome outcome;
  if (reference.succeeded) {
    outcome.succeeded = true;
    switch (reference.type) {
      case kReferenceUndefined: outcome.type = VariantType::Empty; break;
      case kReferenceNull: outcome.type = VariantType::Null; break;
      case kReferenceBoolean:
        outcome.type = VariantType::Boolean;
        outcome.boolean = reference.boolean != 0;
        break;
      case kReferenceNumber:
        outcome.type = VariantType::Double;
        outcome.number = reference.number;
        break;
      case kReferenceString:
        outcome.type = VariantType::Text;
        decodeScriptText(reference.text, &outcome.text);
        break;
    }
    return outcome;
  }
  outcome.compiling = reference.compiling != 0;
  outcome.errorNumber = reference.thrownIsError ? errorNumberOf(reference.errorName) : kThrownValue;
  std::string_view description = reference.errorMessage;
  if (outcome.compiling) {
    description = splitCompileLine(description, kFileName, &outcome.line);
  } else {
    outcome.line = traceLine(reference.errorTrace);
  }
  decodeScriptText(description, &outcome.description);
  return outcome;
}

bool sameOutcome(const ScriptOutcome& a, const ScriptOutcome& b, bool compareValue) {
  if (a.succeeded != b.succeeded) return false;
  if (!a.succeeded) {
    return a.compiling == b.compiling && a.errorNumber == b.errorNumber && a.description == b.description &&
           a.line == b.line;
  }
  if (!compareValue) return true;
  if (a.type != b.type) return false;
  switch (a.type) {
    case VariantType::Boolean: return a.boolean == b.boolean;
    case VariantType::Double:
      return (std::isnan(a.number) && std::isnan(b.number)) || std::memcmp(&a.number, &b.number, sizeof a.number) == 0;
    case VariantType::Text: return a.text == b.text;
    default: return true;
  }
}

std::string describeOutcome(const ScriptOutcome& outcome) {
  if (!outcome.succeeded) {
    return std::string(outcome.compiling ? "compile error " : "runtime error ") + std::to_string(outcome.errorNumber) +
           " at line " + std::to_string(outcome.line) + ": " + printable(outcome.description);
  }
  switch (outcome.type) {
    case VariantType::Empty: return "undefined";
    case VariantType::Null: return "null (or an object)";
    case VariantType::Boolean: return outcome.boolean ? "true" : "false";
    case VariantType::Double: {
      char number[40];
      std::snprintf(number, sizeof number, "number %.17g", outcome.number);
      return number;
    }
    case VariantType::Text: return "text \"" + printable(outcome.text) + "\"";
    case VariantType::Object: break;
  }
  return "an object";
}

std::string printable(std::u16string_view text) {
  std::string out;
  auto escaped = [&out](char32_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
    out += buffer;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if ((code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFF || (code < 0x20 && code != '\n') || code == 0x7F) {
      escaped(code);
      continue;
    }
    appendUtf8(out, code);
  }
  return out;
}
