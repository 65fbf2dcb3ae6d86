// The cell store's texts for the differential fuzzers, built by the program's own code: the
// recording pass and the document operations run on random cells while the stand-in control
// (differential_control.h) is registered, so every text they send runs on an engine pair.
#pragma once

#include <string>

#include "fuzz/choice_stream.h"
#include "json/json_document.h"

// A random cell as the window hands it over, in GBK: ASCII words, Chinese, quotes,
// backslashes (alone and as a Chinese character's second byte), digits with leading zeros,
// negative numbers, exponents, a lead byte without its trail byte, now and then long.
std::string randomCell(ChoiceStream& choices);

class CellStoreSequences {
 public:
  // Makes the cell store; its engine, and that of the row record a run makes, are pairs
  // while the stand-in is registered.
  CellStoreSequences() = default;

  // One recording pass over random lines cut at a random separator, then both documents
  // emptied as a run ends: the nine texts a line costs, line after line.
  void tableRun(ChoiceStream& choices);
  // A few document operations on the cell store with random paths, cells and numbers.
  void documentOperations(ChoiceStream& choices);

 private:
  JsonDocument cellStore_;
};
