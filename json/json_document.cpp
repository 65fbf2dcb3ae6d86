// The 26 document operations as script texts evaluated in the document's engine. JSON output
// turns the stored backslash (U+2400) into the escape "\\" so it parses back, and every plain
// text (setValue, append, setElement) is escaped into one string literal, so no caller text
// can break out of it and run as script.
#include "json/json_document.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "json/script_library.h"
#include "platform/object_access.h"
#include "runtime/text_commands.h"

namespace {

constexpr const char* kProgId = "MSScriptControl.ScriptControl";
constexpr const char* kDocumentName = "da";
// Turns the stored form back into one backslash (plain text reads) ...
constexpr std::string_view kBackslashRestored = R"(.replace(str_reg, '\\'))";
// ... or into the JSON escape of a backslash (JSON text reads).
constexpr std::string_view kBackslashAsJson = R"(.replace(str_reg, '\\\\'))";
constexpr const char* kJoinToken = "[2020年7月20日20时0分0秒]";

std::string_view view(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

}  // namespace

// The operations reach the fields through here; JsonDocument keeps them private otherwise.
struct JsonDocumentAccess {
  static TextValue& name(JsonDocument& self) { return self.name_; }
  static ComObject& engine(JsonDocument& self) { return self.engine_; }
  static bool& holdsComInitialisation(JsonDocument& self) { return self.holdsComInitialisation_; }
  static JsonDocument unnamed() { return JsonDocument(JsonDocument::Uninitialised{}); }
};

namespace {

using Access = JsonDocumentAccess;

// ---- evaluation ------------------------------------------------------------------------

// Copies size bytes, at least one Word's and at most two, as two Words laid over each other.
template <class Word>
void copyAsTwoWords(char* to, const char* from, size_t size) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof head);
  std::memcpy(&tail, from + size - sizeof tail, sizeof tail);
  std::memcpy(to, &head, sizeof head);
  std::memcpy(to + size - sizeof tail, &tail, sizeof tail);
}

// Copies a part of the expression. Most parts are a few bytes (" != null", an index, a
// bracket), for which a call of the library's copy costs more than the copy: up to sixteen
// bytes go as two words or two half-words laid over each other, still inside the part.
void copyPart(char* to, std::string_view part) {
  const char* from = part.data();
  const size_t size = part.size();
  if (size >= 8 && size <= 16) {
    copyAsTwoWords<uint64_t>(to, from, size);
  } else if (size >= 4 && size < 8) {
    copyAsTwoWords<uint32_t>(to, from, size);
  } else if (size < 4) {
    for (size_t i = 0; i < size; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, size);
  }
}

// The expression's bytes, joined in one buffer per thread that every evaluation reuses: an
// evaluation needs them only until it returns, and never starts another inside it. Every part
// is a C string's view or a literal, so the joined bytes hold no NUL and their length, known
// here, is what the call would otherwise measure.
std::string_view joined(std::initializer_list<std::string_view> parts) {
  thread_local std::string expression;
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  // Sized once and filled in place: the parts are short, and an append apiece would ask for
  // room each time.
  expression.resize(size);
  char* at = expression.data();
  for (const std::string_view part : parts) {
    copyPart(at, part);
    at += part.size();
  }
  return expression;
}

TextValue evalText(const JsonDocument& self, std::initializer_list<std::string_view> parts) {
  if (self.engine().isEmpty()) return TextValue();
  return callText(self.engine(), "Eval", joined(parts));
}

bool evalBoolean(const JsonDocument& self, std::initializer_list<std::string_view> parts) {
  if (self.engine().isEmpty()) return false;
  return callBoolean(self.engine(), "Eval", joined(parts));
}

double evalDouble(const JsonDocument& self, std::initializer_list<std::string_view> parts) {
  if (self.engine().isEmpty()) return 0;
  return callDouble(self.engine(), "Eval", joined(parts));
}

void evalOnly(const JsonDocument& self, std::initializer_list<std::string_view> parts) {
  if (!self.engine().isEmpty()) callMember(self.engine(), "Eval", joined(parts));
}

// A plain text as a script expression that yields exactly that text in stored form: the text
// in a string literal with backslash, both quotes, carriage return and line feed escaped, in
// that order, as replaceText would escape them one after another. No escape brings in a
// character a later one replaces, so one pass gives the same bytes; it also steps over the
// second byte of a GBK character and drops a lone lead byte at the end, as replaceText does.
// It is written into a buffer per thread that the next one reuses: an operation needs it only
// until its evaluation returns.
std::string_view plainTextExpression(const char* value) {
  static constexpr std::string_view kOpen = "'";
  static constexpr std::string_view kClose = R"('.replace(/\\/g, str_Code))";
  const std::string_view text = view(value);
  thread_local std::string out;
  out.assign(kOpen);
  const auto plain = [](char byte) {
    return byte != '\\' && byte != '\'' && byte != '"' && byte != '\r' && byte != '\n' && !isLeadByte(byte);
  };
  for (std::size_t at = 0; at < text.size(); ++at) {
    // A cell is mostly plain bytes, which go in as one run.
    std::size_t run = at;
    while (run < text.size() && plain(text[run])) ++run;
    out.append(text.substr(at, run - at));
    if (run == text.size()) break;
    at = run;
    const char byte = text[at];
    switch (byte) {
      case '\\': out.append("\\\\"); continue;
      case '\'': out.append("\\'"); continue;
      case '"': out.append("\\\""); continue;
      case '\r': out.append("\\r"); continue;
      case '\n': out.append("\\n"); continue;
      default: break;
    }
    // What is left is a lead byte.
    if (at + 1 == text.size()) break;
    if (isTrailByte(text[at + 1])) {
      out.push_back(byte);
      out.push_back(text[++at]);
      continue;
    }
    // A lead byte without its trail byte is no character: written as it is, it would take
    // the escape's backslash after it for its trail byte (or the code page would read it
    // alone), and the quote would end the literal, so a plain text could run as script.
    // It is written as what the code page reads it as, and the next byte is escaped as usual.
    out.append("\\uFFFD");
  }
  out.append(kClose);
  return out;
}

// resolvePath's rule, writing the resolved path into out (never path's own bytes); true when
// it denotes a value.
bool resolveInto(const JsonDocument& self, std::string_view path, std::string& out) {
  const std::string_view name = self.name().view();
  if (path.starts_with(name)) {
    out.assign(path);
    if (evalBoolean(self, {out, " != null"})) return true;
  }
  out.assign(name);
  if (!path.empty()) {
    if (path.front() != '[') out.push_back('.');
    out.append(path);
  }
  return evalBoolean(self, {out, " != null"});
}

// resolvePath on a copy of path; the resolved text, and whether it denotes a value. The text
// is in a buffer per thread that the next resolution reuses: an operation resolves its path
// once and needs it only until it returns.
std::string_view resolved(const JsonDocument& self, const char* path, bool* exists = nullptr) {
  thread_local std::string copy;
  const bool found = resolveInto(self, view(path), copy);
  if (exists != nullptr) *exists = found;
  return copy;
}

ArrayValue splitAnswer(const TextValue& text, const char* separator) {
  return splitText(text.c_str(), separator);
}

// ---- lifecycle ---------------------------------------------------------------------------

void destroy(JsonDocument& self) {
  if (self.name().isNull()) return;  // destroyed already
  Access::engine(self).clear();
  if (std::exchange(Access::holdsComInitialisation(self), false)) platformObjects().uninitialize();
  Access::name(self).reset();
}

void startEngine(JsonDocument& self) {
  ComObject& engine = Access::engine(self);
  if (!createObject(engine, kProgId)) return;
  putText(engine, "Language", "JavaScript");
  callBoolean(engine, "AddCode", scriptLibrary());
  evalOnly(self, {"var ", self.name().view(),
                  " = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g')"});
}

void createEngine(JsonDocument& self) {
  if (!std::exchange(Access::holdsComInitialisation(self), true)) platformObjects().initialize();
  startEngine(self);
}

JsonDocument copy(const JsonDocument& self) {
  JsonDocument twin = Access::unnamed();
  Access::name(twin) = copyText(self.name().data());
  Access::engine(twin) = self.engine();
  platformObjects().initialize();
  Access::holdsComInitialisation(twin) = true;
  return twin;
}

bool parse(JsonDocument& self, const char* text, bool direct, ScriptErrorInfo* errorInfo) {
  ComObject& engine = Access::engine(self);
  if (!engine.isEmpty()) {
    engine.clear();
    createEngine(self);
  }
  if (engine.isEmpty()) return false;
  const std::string_view name = self.name().view();
  evalOnly(self, {"var ", name, " = null"});
  const TextValue code = direct ? concatTexts({"var ", name, " = ", view(text)})
                                : concatTexts({"var ", name, " = eval(", view(text), ")"});
  callBoolean(engine, "AddCode", code.c_str());
  if (errorInfo != nullptr) {
    const ComObject error = callObject(engine, "Error");
    errorInfo->Number = toInteger(getDouble(error, "Number"));
    errorInfo->Source = getText(error, "Source");
    errorInfo->Description = getText(error, "Description");
    errorInfo->HelpFile = getText(error, "HelpFile");
    errorInfo->HelpContext = toInteger(getDouble(error, "HelpContext"));
    errorInfo->Text = getText(error, "Text");
    errorInfo->Line = toInteger(getDouble(error, "Line"));
    errorInfo->Column = toInteger(getDouble(error, "Column"));
  }
  return evalBoolean(self, {name, " != null"});
}

ComObject getEngine(const JsonDocument& self) { return self.engine(); }

// ---- paths and reads ---------------------------------------------------------------------

bool resolvePath(JsonDocument& self, TextValue& path) {
  thread_local std::string text;
  const bool found = resolveInto(self, path.view(), text);
  // A path is only ever rewritten by putting the name in front of it.
  if (text.size() != path.view().size()) path = TextValue::copyOf(text);
  return found;
}

bool exists(JsonDocument& self, const char* path) {
  bool found = false;
  resolved(self, path, &found);
  return found;
}

int32_t typeOf(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  if (evalBoolean(self, {p, " == null"})) return 0;
  const TextValue tag = evalText(self, {"Object.prototype.toString.call(", p, ")"});
  static constexpr std::pair<std::string_view, int32_t> kCodes[] = {
      {"[object String]", 6}, {"[object Array]", 5}, {"[object Object]", 4},
      {"[object Number]", 2}, {"[object Boolean]", 1},
  };
  for (const auto& [name, code] : kCodes) {
    if (tag.view() == name) return code;
  }
  return -1;
}

TextValue toJson(JsonDocument& self) {
  return evalText(self, {"JSON.stringify(", self.name().view(), ")", kBackslashAsJson});
}

TextValue getJson(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  return evalText(self, {"JSON.stringify(", p, ")", kBackslashAsJson});
}

TextValue getValue(JsonDocument& self, const char* path, bool asJson) {
  const std::string_view p = resolved(self, path);
  if (asJson) return evalText(self, {"JSON.stringify(", p, ")", kBackslashAsJson});
  return evalText(self, {p, ".toString()", kBackslashRestored});
}

TextValue getElement(JsonDocument& self, int32_t index, const char* path, bool asJson) {
  const std::string_view p = resolved(self, path);
  const TextValue i = toText(index);
  if (asJson) return evalText(self, {"JSON.stringify(", p, "[", i.view(), "])", kBackslashAsJson});
  return evalText(self, {p, "[", i.view(), "]", kBackslashRestored});
}

double getNumber(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  return evalDouble(self, {p});
}

int32_t count(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  return toInteger(evalDouble(self, {"get__count(", p, ")"}));
}

int32_t memberNames(JsonDocument& self, ArrayValue& names, const char* path) {
  const std::string_view p = resolved(self, path);
  names = splitAnswer(evalText(self, {"get__name_All(", p, ")"}), "\r\n");
  return names.count();
}

int32_t allValues(JsonDocument& self, ArrayValue& values, const char* path, bool recursive) {
  const std::string_view p = resolved(self, path);
  evalOnly(self, {"var str_all = new Array()"});
  evalOnly(self, {"get__nodeValue(", p, ", ", recursive ? "true" : "false", ")"});
  values = splitAnswer(evalText(self, {"str_all.join('", kJoinToken, "')"}), kJoinToken);
  return values.count();
}

// A new document holding the value that `json` (a script expression giving JSON) reads.
JsonDocument documentOf(JsonDocument& self, std::initializer_list<std::string_view> json) {
  JsonDocument document;
  const TextValue text = evalText(self, json);
  document.parse(text.c_str());
  return document;
}

JsonDocument getDocument(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  return documentOf(self, {"JSON.stringify(", p, ")", kBackslashAsJson});
}

JsonDocument getElementDocument(JsonDocument& self, int32_t index, const char* path) {
  const std::string_view p = resolved(self, path);
  const TextValue i = toText(index);
  return documentOf(self, {"JSON.stringify(", p, "[", i.view(), "])", kBackslashAsJson});
}

// ---- writes ------------------------------------------------------------------------------

bool clear(JsonDocument& self) { return evalBoolean(self, {self.name().view(), " = {}"}); }

bool setValue(JsonDocument& self, const char* path, const char* value, bool asExpression) {
  bool found = false;
  const std::string_view p = resolved(self, path, &found);
  if (!asExpression) {
    return evalBoolean(self, {p, " = ", plainTextExpression(value)});
  }
  const std::string_view merged = view(value).empty() ? std::string_view("{}") : view(value);
  const TextValue tag = evalText(self, {"Object.prototype.toString.call(", p, ")"});
  if (found && tag.view() == "[object Object]") {
    return evalBoolean(self, {p, " = get__extend(", p, ", ", merged, ")"});
  }
  return evalBoolean(self, {p, " = eval(", view(value), ")"});
}

bool setExpression(JsonDocument& self, const char* path, const char* expression) {
  const std::string_view p = resolved(self, path);
  return evalBoolean(self, {p, " = eval(", view(expression), ")"});
}

bool setNumber(JsonDocument& self, const char* path, double number) {
  const TextValue text = toText(number);
  const std::string_view p = resolved(self, path);
  return evalBoolean(self, {p, " = ", text.view()});
}

bool append(JsonDocument& self, const char* value, const char* path, bool asExpression, bool atFront) {
  const std::string_view p = resolved(self, path);
  const std::string_view item = asExpression ? view(value) : plainTextExpression(value);
  return evalBoolean(self, {"if (Object.prototype.toString.call(", p, ") != '[object Array]') { ",
                            p, " = new Array() } ", p, atFront ? ".unshift(" : ".push(",
                            item, ")"});
}

bool setElement(JsonDocument& self, int32_t index, const char* path, const char* value, bool asExpression) {
  const std::string_view p = resolved(self, path);
  const TextValue i = toText(index);
  const std::string_view item = asExpression ? view(value) : plainTextExpression(value);
  return evalBoolean(self, {p, "[", i.view(), "] = ", item});
}

bool removeElement(JsonDocument& self, int32_t index, const char* path) {
  const std::string_view p = resolved(self, path);
  const TextValue i = toText(index);
  return evalBoolean(self, {p, ".splice(", i.view(), ", 1)"});
}

bool remove(JsonDocument& self, const char* path) {
  const std::string_view p = resolved(self, path);
  return evalBoolean(self, {"delete ", p});
}

const JsonDocumentOperations kOperations{
    .destroy = destroy,
    .copy = copy,
    .createEngine = createEngine,
    .parse = parse,
    .clear = clear,
    .toJson = toJson,
    .setValue = setValue,
    .setExpression = setExpression,
    .resolvePath = resolvePath,
    .exists = exists,
    .typeOf = typeOf,
    .getValue = getValue,
    .memberNames = memberNames,
    .count = count,
    .getDocument = getDocument,
    .append = append,
    .getElementDocument = getElementDocument,
    .getElement = getElement,
    .setElement = setElement,
    .removeElement = removeElement,
    .remove = remove,
    .setNumber = setNumber,
    .getNumber = getNumber,
    .getJson = getJson,
    .getEngine = getEngine,
    .allValues = allValues,
};

}  // namespace

const JsonDocumentOperations& jsonDocumentOperations() { return kOperations; }

JsonDocument::JsonDocument() : name_(TextValue::constant(kDocumentName)) { createEngine(); }

JsonDocument::~JsonDocument() { destroy(); }

JsonDocument::JsonDocument(JsonDocument&& other) noexcept
    : operations_(other.operations_),
      name_(std::move(other.name_)),
      engine_(std::move(other.engine_)),
      holdsComInitialisation_(std::exchange(other.holdsComInitialisation_, false)) {}

JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept {
  if (this != &other) {
    JsonDocument incoming(std::move(other));
    destroy();
    operations_ = incoming.operations_;
    name_ = std::move(incoming.name_);
    engine_ = std::move(incoming.engine_);
    holdsComInitialisation_ = std::exchange(incoming.holdsComInitialisation_, false);
  }
  return *this;
}
