// Random texts of global code for the differential fuzzers, made in two steps: a shape (the
// statements, with holes where the literals go), then its literals. A shape comes back with
// other literals many times, as the cell store's statements do, so the compile cache serves
// it; a pool of more shapes than the cache has slots makes it evict. Every loop is bounded in
// its own header and no generated function can reach itself, so every text ends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/choice_stream.h"

// Declares every function and global the shapes name, so a text seldom stops at its first
// name; a pair runs it before its first shape.
extern const std::u16string_view kShapesPrelude;

// A new shape: one to four statements of global code, sometimes a directive first and a
// value to read last, with holes for string, number, loop-count, member-name, directive and
// regular-expression literals.
std::u16string randomShape(ChoiceStream& choices);

// The shape with each hole filled by a new literal: strings in either quote with escapes,
// Chinese, surrogates and now and then thousands of characters; numbers in every notation,
// negative ones too; counts from 0 to 3.
std::u16string fillShape(std::u16string_view shape, ChoiceStream& choices);

class ShapePool {
 public:
  // More shapes than the compile cache's 256 slots.
  static constexpr size_t kShapes = 384;

  // The next text: a new shape, a shape met before with new literals, or a text met before
  // exactly as it was.
  std::u16string nextText(ChoiceStream& choices);
  // Shapes to send again in turn, as the cell store does line after line.
  std::vector<size_t> pickShapes(ChoiceStream& choices, size_t count);
  // A text of shape `index`: with new literals, or (sameLiterals) its last text again.
  std::u16string textOf(size_t index, ChoiceStream& choices, bool sameLiterals);

 private:
  struct Entry {
    std::u16string shape;
    std::u16string lastText;
  };
  size_t addShape(ChoiceStream& choices);
  // A shape already in the pool: often one of a few favourites, so some repeat very often.
  size_t anyShape(ChoiceStream& choices);

  std::vector<Entry> entries_;
};
