// Fuzzes the JSON document with member paths and plain texts: any text stored with setValue
// or append reads back unchanged, and the document's JSON parses back to the same document.
// Paths keep to names, dots and indices: a path is script by design, and random script could
// loop forever.
#include <string>

#include "fuzz/fuzz_input.h"
#include "json/json_document.h"
#include "platform/code_page.h"

namespace {

// The bytes as the window would hand them over: through UTF-16 and back, so every character
// is one GBK has (others become "?").
std::string asTheWindowHoldsIt(const std::string& bytes) {
  const CodePage& codePage = platformCodePage();
  return codePage.toAnsi(codePage.toUtf16(bytes));
}

std::string pathFrom(const std::string& bytes) {
  static const char kAlphabet[] = "abcdefxyz0123.[]";
  std::string path;
  for (unsigned char c : bytes) path += kAlphabet[c % (sizeof kAlphabet - 1)];
  return path.substr(0, 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const auto fields = fuzzFields(data, size, 3);
  const std::string path = pathFrom(fields[0]);
  const std::string text = asTheWindowHoldsIt(fields[1]);
  const std::string second = asTheWindowHoldsIt(fields[2]);

  {
    // Any path must be safe to write, even one that replaces the whole document.
    JsonDocument scratch;
    scratch.setValue(path.c_str(), second.c_str());
    scratch.append(text.c_str(), path.c_str());
    scratch.toJson();
  }

  JsonDocument document;
  document.setValue("v", text.c_str());
  FUZZ_CHECK(document.getValue("v").view() == text);

  document.append(text.c_str(), "list");
  document.append(second.c_str(), "list", false, true);
  FUZZ_CHECK(document.count("list") == 2);
  FUZZ_CHECK(document.getElement(1, "list").view() == text);
  FUZZ_CHECK(document.getElement(0, "list").view() == second);

  const TextValue json = document.toJson();
  JsonDocument copy;
  FUZZ_CHECK(copy.parse(json.c_str(), true));
  FUZZ_CHECK(copy.toJson().view() == json.view());
  FUZZ_CHECK(copy.getValue("v").view() == text);
  return 0;
}
