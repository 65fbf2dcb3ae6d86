// Every text here comes from the program: recordLines builds the row records and appends them
// as the table generator does, and the document's own operations escape the plain texts and
// write the numbers. Only the cells, paths and numbers are random.
#include "fuzz/cell_store_sequences.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/threads.h"
#include "runtime/text_commands.h"
#include "table/recording_pass.h"

namespace {

// A few GBK characters, the last two with a backslash for their second byte.
constexpr std::array<std::string_view, 10> kChinese{"\xD0\xF2", "\xBA\xC5", "\xC3\xFB", "\xD7\xD6", "\xD6\xD0",
                                                    "\xCE\xC4", "\xB1\xED", "\xB8\xF1", "\x81\x5C", "\x95\x5C"};
constexpr std::array<std::string_view, 14> kNumbers{"0", "007", "-5", "-0.25", "1e5", "2.5E-3", "1e400", "00012",
                                                    "+3", "0x1F", "123456789012345678901", "-1e-7", ".5", "5."};
constexpr std::array<std::string_view, 10> kAscii{"a", "row", "Name", "x y", "\\", "'", "\"", "\\'", "\\\\", ";"};
// Paths keep to names, dots and indices: a path is script by design.
constexpr std::array<const char*, 9> kPaths{"row", "column", "test", "list", "test[0].column",
                                            "list[1]", "\xC3\xFB", "v.w", ""};

template <size_t N>
std::string_view pick(ChoiceStream& c, const std::array<std::string_view, N>& from) {
  return from[c.below(N)];
}

// A number written as the program writes numbers, from every corner of the doubles.
double randomNumber(ChoiceStream& c) {
  static constexpr std::array<double, 10> kNumbers{0.1, -0.0, 1e21, 123.456, 5e-324, 1e-7,
                                                   2147483648.0, -17, 9007199254740993.0, 0.5};
  if (!c.oneIn(3)) return kNumbers[c.below(kNumbers.size())];
  uint64_t bits = 0;
  for (int i = 0; i < 4; ++i) bits = bits << 16 | c.below(65536);
  double number = 0;
  std::memcpy(&number, &bits, sizeof number);
  return number;
}

}  // namespace

std::string randomCell(ChoiceStream& c) {
  std::string cell;
  const int pieces = c.oneIn(20) ? c.between(100, 800) : c.between(0, 5);
  for (int i = 0; i < pieces; ++i) {
    switch (c.below(10)) {
      case 0:
      case 1:
      case 2: cell += pick(c, kChinese); break;
      case 3:
      case 4: cell += pick(c, kNumbers); break;
      case 5:
      case 6:
      case 7: cell += pick(c, kAscii); break;
      case 8: cell += static_cast<char>(0x81 + c.below(0x7E)); break;  // a lead byte, trail or not
      default: {
        static constexpr std::array<std::string_view, 6> kOdd{"\r", "\n", "\x80", "\xFF", "\t", ","};
        cell += pick(c, kOdd);
        break;
      }
    }
  }
  return cell;
}

void CellStoreSequences::tableRun(ChoiceStream& c) {
  static constexpr std::array<const char*, 3> kSeparators{"\t", " ", ","};
  const char* separator = kSeparators[c.below(kSeparators.size())];
  std::string input;
  const int lines = c.between(1, 10);
  for (int line = 0; line < lines; ++line) {
    if (line > 0) input += "\r\n";
    const int cells = c.between(0, 6);
    for (int cell = 0; cell < cells; ++cell) {
      if (cell > 0) input += separator;
      input += randomCell(c);
    }
  }
  const ArrayValue split = splitText(input.c_str(), "\r\n");
  ColumnMeasure measure;
  // The row records are built on this thread, as when no side thread starts: the session
  // compares its engine pairs between sequences, one thread at a time.
  const ThreadStart usual = replaceThreadStart(refusingThreadStart);
  recordLines(InputLines(split), separator, cellStore_, measure);
  replaceThreadStart(usual);
  cellStore_.clear();
}

void CellStoreSequences::documentOperations(ChoiceStream& c) {
  const int operations = c.between(2, 10);
  for (int i = 0; i < operations; ++i) {
    const char* path = kPaths[c.below(kPaths.size())];
    const auto index = static_cast<int32_t>(c.below(4));
    switch (c.below(14)) {
      case 0:
      case 1: cellStore_.setValue(path, randomCell(c).c_str()); break;
      case 2:
      case 3: {
        const std::string cell = randomCell(c);  // the choices in a fixed order, whatever the compiler
        cellStore_.append(cell.c_str(), path, false, c.oneIn(3));
        break;
      }
      case 4: cellStore_.setElement(index, path, randomCell(c).c_str()); break;
      case 5: cellStore_.setNumber(path, randomNumber(c)); break;
      case 6: cellStore_.getValue(path, c.oneIn(2)); break;
      case 7: cellStore_.getElement(index, path, c.oneIn(2)); break;
      case 8: cellStore_.count(path); break;
      case 9: cellStore_.typeOf(path); break;
      case 10: {
        ArrayValue values{ElementType::Text};
        cellStore_.allValues(values, path, c.oneIn(2));
        break;
      }
      case 11: {
        ArrayValue names{ElementType::Text};
        cellStore_.memberNames(names, path);
        break;
      }
      case 12: cellStore_.removeElement(index, path); break;
      default: cellStore_.toJson(); break;
    }
  }
}
