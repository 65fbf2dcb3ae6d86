// Texts the engine is given again with other literals in them: each run sees its own
// literals, values made by earlier runs keep theirs, and a literal the compiled text depends
// on (a directive, a property name, a nested function's) is never carried over to a text that
// differs in it. The cell store sends such texts on every line.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/script_engine_support.h"

namespace {

TEST(ScriptControlShapes, EachRunSeesItsOwnLiterals) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var da = {}, list = []");
  for (int line = 0; line < 40; ++line) {
    const std::string n = std::to_string(line);
    EXPECT_EQ(evalText(engine, ("da.row = '" + n + "行'.replace(/\\\\/g, '/')").c_str()), n + "行");
    EXPECT_EQ(callDouble(engine, "Eval", ("list[" + n + "] = " + n + " * 2.5").c_str()), line * 2.5);
    EXPECT_TRUE(callBoolean(engine, "Eval", ("list[" + n + "] != null").c_str()));
  }
  EXPECT_EQ(callDouble(engine, "Eval", "list.length"), 40);
  EXPECT_EQ(evalText(engine, "list[39]"), "97.5");
  // Numbers of every size in one place: small integers, fractions, huge ones and zero.
  for (const char* number : {"5", "70000.5", "0", "1e300", "32767", "32768", "0.1"}) {
    EXPECT_EQ(evalText(engine, (std::string("da.n = ") + number + "; da.n").c_str()),
              evalText(engine, (std::string("String(") + number + ")").c_str()))
        << number;
  }
  // Texts with quotes, backslashes and Chinese, as the document escapes them.
  EXPECT_EQ(evalText(engine, "da.t = 'a\\'b'; da.t"), "a'b");
  EXPECT_EQ(evalText(engine, "da.t = 'c\\\\d'; da.t"), "c\\d");
  EXPECT_EQ(evalText(engine, "da.t = '序号，字段'; da.t"), "序号，字段");
  // A text met again after another of its shape still has its own literals.
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(evalText(engine, "da.t = 'left'"), "left");
    EXPECT_EQ(evalText(engine, "da.t = 'right'"), "right");
  }
  // Negative numbers are folded while compiling, so they are part of what is compiled.
  EXPECT_EQ(callDouble(engine, "Eval", "da.m = -5"), -5);
  EXPECT_EQ(callDouble(engine, "Eval", "da.m = -6"), -6);
}

// One text after another of the same form, its literal written every way the language allows:
// each must be read as what it is, however the text before it was written.
TEST(ScriptControlShapes, LiteralsWrittenEveryWay) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var seen = []");
  const char* written[] = {"7", "7.5", "0x10", "1e3", "70", "'a'", "'a\\'b'", "\"q\"", "'序'", "'x y'", "'\\\\'", "''"};
  const char* read[] = {"7", "7.5", "16", "1000", "70", "a", "a'b", "q", "序", "x y", "\\", ""};
  std::string expected;
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < std::size(written); ++i) {
      const std::string push = std::string("seen.push(") + written[i] + "); seen[seen.length - 1]";
      EXPECT_EQ(evalText(engine, push.c_str()), read[i]) << written[i] << " in round " << round;
      expected += std::string(expected.empty() ? "" : "|") + read[i];
    }
  }
  EXPECT_EQ(evalText(engine, "seen.join('|')"), expected);
}

// Texts that come round in a fixed order, as the cell store's do, with the last one changed
// in ways that look like a change of literal but are not: each is read as written.
TEST(ScriptControlShapes, TextsThatOnlyLookLikeTheOneBefore) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var x = ''");
  auto cycleThen = [&](const char* text) {
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(evalText(engine, "x = 'a' + 'b'"), "ab");
      EXPECT_TRUE(callBoolean(engine, "Eval", "x != null"));
    }
    return evalText(engine, text);
  };
  EXPECT_EQ(cycleThen("x = 'a' + 'b' + 'c'"), "abc");
  EXPECT_EQ(cycleThen("x = 'c' + 'd'"), "cd");
  EXPECT_EQ(cycleThen("x = 'a\\'' + 'b'"), "a'b");
  EXPECT_EQ(cycleThen("x = 'a\\' + 'b'"), "") << "a string that runs on to the next quote";
  EXPECT_NE(lastError(engine).number, 0);
  EXPECT_EQ(cycleThen("x = 'a' + 5.5"), "a5.5");
}

TEST(ScriptControlShapes, ValuesMadeEarlierKeepTheirLiterals) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var kept = [], made = []");
  callMember(engine, "Eval", "kept.push('first', 1.5)");
  callMember(engine, "Eval", "kept.push('second', 2.5)");
  EXPECT_EQ(evalText(engine, "kept.join()"), "first,1.5,second,2.5");
  // A function keeps the literals it was made with, whatever the next text of its shape says.
  callMember(engine, "Eval", "made.push(function() { return 'one' })");
  callMember(engine, "Eval", "made.push(function() { return 'two' })");
  EXPECT_EQ(evalText(engine, "made[0]() + made[1]()"), "onetwo");
  callMember(engine, "Eval", "made.push({row: '1', column: '4,6'})");
  callMember(engine, "Eval", "made.push({row: '2', column: '1,3'})");
  EXPECT_EQ(evalText(engine, "made[2].row + made[2].column + made[3].row + made[3].column"), "14,621,3");
}

// Texts that differ from the one before in a single literal, as the cell store's row numbers
// and cells do: the literal's new length moves everything after it, and the next change
// anywhere must still find every literal where it now is.
TEST(ScriptControlShapes, OneLiteralChangedAtATime) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  const std::pair<const char*, const char*> steps[] = {
      {"r = [1, 'a', 3]; r.join()", "1,a,3"},
      {"r = [10, 'a', 3]; r.join()", "10,a,3"},
      {"r = [100000, 'a', 3]; r.join()", "100000,a,3"},
      {"r = [100000, 'abc', 3]; r.join()", "100000,abc,3"},
      {"r = [100000, 'abc', 300]; r.join()", "100000,abc,300"},
      {"r = [7, 'abc', 300]; r.join()", "7,abc,300"},
      {"r = [7, '', 300]; r.join()", "7,,300"},
      {"r = [7, \"q\", 300]; r.join()", "7,q,300"},
      {"r = [8, 'y', 301]; r.join()", "8,y,301"},  // more than one at once
      {"r = [9, 'y', 301]; r.join()", "9,y,301"},
      {"r = [9, 'y', 301]; r.join('-')", "9-y-301"},  // a literal outside the array
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& [text, value] : steps) EXPECT_EQ(evalText(engine, text), value) << text;
  }
}

TEST(ScriptControlShapes, CompiledInLiteralsMustMatch) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  // Property names of an object literal.
  EXPECT_EQ(evalText(engine, "var o = {'a': 1}; typeof o.a + typeof o.b"), "numberundefined");
  EXPECT_EQ(evalText(engine, "var o = {'b': 1}; typeof o.a + typeof o.b"), "undefinednumber");
  // A text on other lines is another text: errors name the line they are on.
  EXPECT_EQ(callDouble(engine, "Eval", "var p = {}; p.q.r"), 0);
  EXPECT_EQ(lastError(engine).line, 1);
  EXPECT_EQ(callDouble(engine, "Eval", "var p = {};\n p.q.r"), 0);
  EXPECT_EQ(lastError(engine).line, 2);
}

// A finally block is compiled once for each way out of its try (falling through, a throw, a
// break, continue or return), so its literals sit in more than one place in the code: every
// place must take the next text's values.
TEST(ScriptControlShapes, FinallyBlocksLeftEveryWay) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  for (const char* value : {"first", "second", "third", "second"}) {
    const std::string v = value;
    EXPECT_EQ(evalText(engine, ("for (var k = 0; k < 1; k++) { try { continue } finally { w = '" + v + "' } } w").c_str()), v);
    EXPECT_EQ(evalText(engine, ("a: try { break a } finally { x = '" + v + "' } x").c_str()), v);
    EXPECT_EQ(evalText(engine, ("try { try { null.x } finally { g = '" + v + "' } } catch (e) {} g").c_str()), v);
    EXPECT_EQ(evalText(engine, ("function f() { try { return 1 } finally { h = '" + v + "' } } f(); h").c_str()), v);
  }
  for (int n = 1; n <= 3; ++n) {
    const std::string text = "a: try { break a } finally { v = " + std::to_string(n) + " } v";
    EXPECT_EQ(callDouble(engine, "Eval", text.c_str()), n);
  }
}

}  // namespace
