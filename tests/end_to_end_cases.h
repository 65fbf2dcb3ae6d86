// The end-to-end cases both builds run through their real window (tests/cases/end_to_end.txt,
// built into the test): input, separator and the exact output bytes, parsed into GBK texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct EndToEndCase {
  std::string name;                      // as the list writes it (UTF-8)
  char separator;                        // '\t', ' ' or ','
  std::string input;                     // GBK bytes for the input box
  std::string output;                    // GBK bytes the output box must hold
  std::optional<std::string> cellStore;  // the cell store's JSON text (GBK), where given
};

// The cases of the list built into the test, in file order.
std::vector<EndToEndCase> endToEndCases();

// Parses a case list; throws std::runtime_error naming the line of the first fault.
std::vector<EndToEndCase> parseEndToEndCases(std::string_view list);

// The UTF-16 name of the radio box that chooses separator ("单选框1" tab, "单选框2" space,
// "单选框3" comma).
const char16_t* radioBoxFor(char separator);
