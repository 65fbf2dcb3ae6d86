// Plain text is data: raw bytes handed straight to the document's plain-text setters (setValue,
// append, setElement), with no trip through UTF-16 that would make them valid GBK first, must
// store a text and change nothing else in the engine: every setter's text compiles and runs,
// the document holds exactly the members written, and every other global, and the members of
// the prototypes and JSON the library relies on, read as they did before.
#include <string>

#include "fuzz/fuzz_input.h"
#include "json/json_document.h"

namespace {

// Everything outside the document that a text breaking out of its literal could change.
constexpr const char* kEverythingElse =
    "(function (g) { var out = []; function walk(label, o) { var names = Object.getOwnPropertyNames(o); "
    "for (var i = 0; i < names.length; i++) { var n = names[i]; if (o === g && n == 'da') continue; "
    "var d = Object.getOwnPropertyDescriptor(o, n), v = d.value; out.push(label + n + ':' + "
    "(d.get || d.set ? 'accessor' : typeof v == 'function' ? 'function/' + v.length + '/' + String(v) : "
    "typeof v == 'object' && v !== null ? Object.prototype.toString.call(v) + JSON.stringify(v) : "
    "typeof v + '=' + String(v))) } } walk('', g); walk('Object.prototype.', Object.prototype); "
    "walk('Array.prototype.', Array.prototype); walk('String.prototype.', String.prototype); "
    "walk('Function.prototype.', Function.prototype); walk('RegExp.prototype.', RegExp.prototype); "
    "walk('JSON.', JSON); return out.join('\\n') })(this)";

std::string evalText(const JsonDocument& document, const char* code) {
  return callText(document.engine(), "Eval", code).c_str();
}

// The number of the engine's last script error; 0 after a clean run.
int32_t lastErrorNumber(const JsonDocument& document) {
  return static_cast<int32_t>(getDouble(callObject(document.engine(), "Error"), "Number"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // One engine for every input, as a cell store keeps one for every line: a text that broke
  // out would stay broken out, and the next comparison would show it.
  static JsonDocument document;
  static const std::string before = evalText(document, kEverythingElse);
  const auto texts = fuzzFields(data, size, 3);

  document.clear();
  FUZZ_CHECK(lastErrorNumber(document) == 0);
  document.setValue("v", texts[0].c_str());
  FUZZ_CHECK(lastErrorNumber(document) == 0);
  document.append(texts[1].c_str(), "list");
  FUZZ_CHECK(lastErrorNumber(document) == 0);
  document.append(texts[2].c_str(), "list", false, true);
  FUZZ_CHECK(lastErrorNumber(document) == 0);
  document.setElement(1, "list", texts[0].c_str());
  FUZZ_CHECK(lastErrorNumber(document) == 0);
  document.setValue("w", texts[2].c_str());
  FUZZ_CHECK(lastErrorNumber(document) == 0);

  FUZZ_CHECK(evalText(document, "Object.keys(da).join()") == "v,list,w");
  FUZZ_CHECK(evalText(document, "typeof da.v + typeof da.w + da.list.length + typeof da.list[0] + typeof da.list[1]") ==
             "stringstring2stringstring");
  FUZZ_CHECK(evalText(document, kEverythingElse) == before);
  return 0;
}
