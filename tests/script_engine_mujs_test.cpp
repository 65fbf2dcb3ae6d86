// Our own script control over mujs, where it says more than the system's does: its error
// texts, numbers and lines, the language it insists on, ES5 members the system's language
// lacks, identifiers outside ASCII, and the library text it is handed.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "json/json_document.h"
#include "tests/script_engine_support.h"

namespace {

// A text converts to a number exactly when the C library reads all of it as one: whole
// numbers are read here, and a text that cannot go on past its leading digits is refused
// without asking the library.
TEST(ObjectLayerCoercion, TextsReadAsTheLibraryReadsNumbers) {
  const std::pair<std::u16string, double> numbers[] = {
      {u"12.5", 12.5}, {u"1e3", 1000}, {u"2E-1", 0.2}, {u"0x1A", 26}, {u".5", 0.5}, {u"7.", 7}, {u" 42 ", 42}};
  for (const auto& [text, number] : numbers) {
    Variant from;
    from.type = VariantType::Text;
    from.text = text;
    Variant out;
    ASSERT_EQ(platformObjects().changeType(from, VariantType::Double, &out), ObjectOk) << int(text[0]);
    EXPECT_EQ(out.number, number);
  }
  for (const std::u16string text : {u"3,4,5,6,7", u"12x", u"7,", u"1x5", u"00x1", u"4 5", u"9-"}) {
    Variant from;
    from.type = VariantType::Text;
    from.text = text;
    Variant out;
    EXPECT_EQ(platformObjects().changeType(from, VariantType::Boolean, &out), ObjectTypeMismatch) << int(text[0]);
    EXPECT_EQ(platformObjects().changeType(from, VariantType::Double, &out), ObjectTypeMismatch) << int(text[0]);
  }
}

TEST(MujsScriptControl, LanguageMustBeChosen) {
  ComScope com;
  ComObject engine;
  ASSERT_TRUE(createObject(engine, "MSScriptControl.ScriptControl"));
  EXPECT_EQ(callDouble(engine, "Eval", "1 + 1"), 0);
  EXPECT_FALSE(putText(engine, "Language", "VBScript"));
  EXPECT_TRUE(putText(engine, "Language", "JScript"));
  EXPECT_STREQ(getText(engine, "Language").c_str(), "JScript");
  EXPECT_EQ(callDouble(engine, "Eval", "1 + 1"), 2);
}

TEST(MujsScriptControl, ObjectsHaveNoTextOutsideTheEngine) {
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, "var list = [7, 2]; list"), "");
}

TEST(MujsScriptControl, ErrorRecordTexts) {
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_FALSE(callBoolean(engine, "Eval", "var a = 1;\nvar b = a +* 2"));
  ErrorRecord error = lastError(engine);
  EXPECT_EQ(error.number, 1001);
  EXPECT_EQ(error.source, "JavaScript compilation error");
  EXPECT_EQ(error.description, "unexpected token in expression: '*'") << "the interpreter's words, line split off";
  EXPECT_EQ(error.text, "var b = a +* 2");
  EXPECT_EQ(error.column, 0);

  EXPECT_EQ(callDouble(engine, "Eval", "var o = {};\n\no.p.q"), 0);
  error = lastError(engine);
  EXPECT_EQ(error.number, 1003);
  EXPECT_EQ(error.source, "JavaScript runtime error");
  EXPECT_EQ(error.description, "cannot convert undefined to object");
  EXPECT_EQ(error.text, "");

  EXPECT_EQ(callDouble(engine, "Eval", "1"), 1);
  error = lastError(engine);
  EXPECT_EQ(error.number, 0) << "a clean run clears the record";
  EXPECT_EQ(error.source + error.description + error.helpFile + error.text, "");
  EXPECT_EQ(error.line + error.helpContext, 0);
}

TEST(MujsScriptControl, AnyThrownValueIsRecorded) {
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "AddCode", "function outer() {\n  return inner()\n}\nfunction inner() {\n  return null.x\n}");
  EXPECT_FALSE(callBoolean(engine, "Eval", "outer()"));
  ErrorRecord error = lastError(engine);
  EXPECT_EQ(error.number, 1003);
  EXPECT_EQ(error.line, 5) << "the line of the innermost frame, in the text that defined it";

  EXPECT_FALSE(callBoolean(engine, "Eval", "throw 'plain text'"));
  error = lastError(engine);
  EXPECT_EQ(error.number, 1000);
  EXPECT_EQ(error.source, "JavaScript runtime error");
  EXPECT_EQ(error.description, "plain text");

  // Reading this one throws again; the record keeps what could be read.
  EXPECT_FALSE(callBoolean(engine, "Eval", "throw {toString: function () { throw new Error('again') }}"));
  error = lastError(engine);
  EXPECT_EQ(error.number, 1000);
  EXPECT_EQ(error.description, "");
  EXPECT_EQ(callDouble(engine, "Eval", "6 * 7"), 42) << "the engine goes on";
}

TEST(MujsScriptControl, FailuresAreReportedOnEveryRun) {
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var o = {}");
  // More runs than the interpreter's stack has slots: a failure leaves nothing behind on it.
  for (int run = 0; run < 300; ++run) {
    EXPECT_EQ(callDouble(engine, "Eval", "o.p.q"), 0);
    EXPECT_EQ(lastError(engine).number, 1003);
    EXPECT_FALSE(callBoolean(engine, "Eval", "o +* 1"));
    EXPECT_EQ(lastError(engine).number, 1001) << "a text that fails to compile is not kept";
  }
  callMember(engine, "Eval", "o.p = {q: 3}");
  EXPECT_EQ(callDouble(engine, "Eval", "o.p.q"), 3);
  EXPECT_EQ(lastError(engine).number, 0);
}

TEST(MujsScriptControl, MembersEnumerateInTheOrderTheyWereMade) {
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var o = {}; o.row = '1'; o.column = '2'; o.b = 3; o.a = 4");
  EXPECT_EQ(evalText(engine, "JSON.stringify(o)"), R"({"row":"1","column":"2","b":3,"a":4})");
  EXPECT_EQ(evalText(engine, "var seen = []; for (var k in o) seen.push(k); seen.join()"), "row,column,b,a");
  EXPECT_EQ(evalText(engine, "Object.keys(o).join()"), "row,column,b,a");
  EXPECT_EQ(evalText(engine, "Object.getOwnPropertyNames(o).join()"), "row,column,b,a");
  EXPECT_EQ(evalText(engine, "delete o.row; o.row = 5; Object.keys(o).join()"), "column,b,a,row")
      << "a member made again goes to the end";

  EXPECT_EQ(evalText(engine, "var big = {}; for (var i = 40; i > 0; --i) big['k' + i] = i; "
                             "var names = Object.keys(big); names.length + ':' + names.slice(0, 3).join()"),
            "40:k40,k39,k38");
  EXPECT_EQ(evalText(engine, "Object.keys(Object.create({}, {z: {value: 1, enumerable: true}, "
                             "a: {value: 2, enumerable: true}})).join()"),
            "z,a");

  // Array elements come first, by index, whatever order they were made in.
  EXPECT_EQ(evalText(engine, "var a = []; a[5] = 1; a[2] = 2; a.foo = 3; a[10] = 4; "
                             "var seen = []; for (var k in a) seen.push(k); seen.join()"),
            "2,5,10,foo");
  EXPECT_EQ(evalText(engine, "Object.keys([7, 8, 9]).join()"), "0,1,2");

  // Deleting a member whose tree node has two children kept its successor's getter behind.
  EXPECT_EQ(evalText(engine, "var g = {b: 1, a: 2, get c() { return 'C' }}; delete g.b; g.c"), "C");
}

TEST(MujsScriptControl, SourceOutsideAsciiCompiles) {
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(callDouble(engine, "Eval", "var 序号 = 2; 序号 * 3"), 6);
  EXPECT_EQ(evalText(engine, "var 字段 = {'名': '值'}; 字段.名 + 字段['名'].length"), "值1");
  EXPECT_EQ(evalText(engine, R"('a\0b'.length + ':' + 'a\0b'.charCodeAt(1))"), "3:0");
}

// The system's script language has no strict mode; ours decides it from a directive, a
// literal that texts of one shape must therefore share before one serves for the other.
TEST(MujsScriptControl, StrictModeFollowsEachTextsDirective) {
  ComScope com;
  const ComObject engine = newEngine();
  // A function called plainly sees `this` undefined only in strict code.
  const std::string shape = "(function() { return this === undefined })()";
  EXPECT_FALSE(callBoolean(engine, "Eval", ("'not a directive'; " + shape).c_str()));
  EXPECT_TRUE(callBoolean(engine, "Eval", ("'use strict'; " + shape).c_str()));
  EXPECT_FALSE(callBoolean(engine, "Eval", ("'not a directive'; " + shape).c_str()));
}

TEST(ScriptLibrary, EndsWithTheInstalledJson2) {
  std::ifstream file("/usr/share/javascript/json/json2.min.js", std::ios::binary);
  const std::string json2((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string library = scriptLibrary();
  ASSERT_FALSE(json2.empty());
  ASSERT_GT(library.size(), json2.size());
  EXPECT_EQ(library.substr(library.size() - json2.size()), json2);
  EXPECT_EQ(library.find("function get__nodeValue(str_json, recursion)"), 0u);
}

// The interpreter's lookup caches and String objects give what the language says, through
// collections in between: each regular expression literal run is an object of its own (its
// lastIndex too) whatever program it shares; properties deleted, re-made and moved about in
// a big object read back right; a String object's text outlives the object.
TEST(MujsScriptControl, CachedLookupsAndStringObjectsKeepTheLanguagesResults) {
  ComScope com;
  const ComObject engine = newEngine();
  const char* garbage = "for (var g = 0; g < 20000; g++) { var junk = {a: [g], b: 'x' + g} }";
  EXPECT_EQ(evalText(engine, "function re() { return /a/g } var x = re(), y = re(); x.exec('aa'); "
                             "[x === y, x.lastIndex, y.lastIndex].join()"),
            "false,1,0");
  callMember(engine, "Eval", garbage);
  EXPECT_EQ(evalText(engine, "re().exec('ba').index + ',' + 'a\\\\b'.replace(/\\\\/g, '/')"), "1,a/b");
  // More patterns than are kept compiled, each still its own.
  EXPECT_EQ(evalText(engine, "var hits = 0; for (var p = 0; p < 100; p++) "
                             "{ if (new RegExp('^x' + p + '$').test('x' + p)) hits++ } hits"),
            "100");
  callMember(engine, "Eval", garbage);
  EXPECT_EQ(evalText(engine, "new RegExp('^x7$').test('x7') && !new RegExp('^x7$', 'i').test('y7')"), "true");

  // A big object: every other property deleted, some re-made, read back after a collection.
  EXPECT_EQ(evalText(engine, "var big = {}; for (var i = 0; i < 500; i++) big['k' + i] = i; "
                             "for (i = 0; i < 500; i += 2) delete big['k' + i]; "
                             "for (i = 0; i < 500; i += 10) big['k' + i] = -i; 'made'"),
            "made");
  callMember(engine, "Eval", garbage);
  EXPECT_EQ(evalText(engine, "var sum = 0, missing = 0; for (i = 0; i < 500; i++) "
                             "{ var v = big['k' + i]; if (v === undefined) missing++; else sum += v } sum + ',' + missing"),
            "50250,200");
  EXPECT_EQ(evalText(engine, "var keys = Object.keys(big); keys.length + ',' + keys[0] + ',' + keys[keys.length - 1]"),
            "300,k1,k490");

  // String objects of short and long texts, made from literals and from built texts.
  EXPECT_EQ(evalText(engine, "var kept = []; for (i = 0; i < 50; i++) "
                             "{ kept.push(new String('text number ' + i + ' of many').toString(), "
                             "Object('lit').valueOf(), ('s' + i).toString()) } kept.length"),
            "150");
  callMember(engine, "Eval", garbage);
  EXPECT_EQ(evalText(engine, "kept[3 * 49] + '|' + kept[1] + '|' + kept[2] + '|' + new String('ab' + 'cd').charAt(2)"),
            "text number 49 of many|lit|s0|c");
}

// A cell store that grows until the address space runs out ends the way every failed
// allocation of the program does (the box's text, exit code -1), wherever the allocation
// that failed was made: in the interpreter it is a failed evaluation, and the program's own
// next allocation reports it. Never abort(). The sanitizers reserve more address space than
// any limit here would leave.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(MujsScriptControl, RunningOutOfMemoryEndsThroughTheProgramsErrorPath) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = rlim_t{400} << 20;
        setrlimit(RLIMIT_AS, &limit);
        JsonDocument cellStore;
        const std::string cell(200, 'x');
        for (long line = 0;; ++line) {
          cellStore.append(("{\"row\": " + std::to_string(line) + ", \"text\": \"" + cell + "\"}").c_str(),
                           "test", true);
        }
      },
      testing::ExitedWithCode(255), "字节内存失败");
}
#endif

}  // namespace
