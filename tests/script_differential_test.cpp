// Our script control against the reference interpreter (fuzz/engine_pair.h): the reference is
// read the way the control reads itself, the comparison misses nothing, and a run from a fixed
// seed, of general statements and of the cell store's own texts, finds no difference. The same
// harness runs under libFuzzer as fuzz/fuzz_script_differential.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/differential_session.h"
#include "fuzz/engine_pair.h"
#include "fuzz/script_outcome.h"
#include "fuzz/statement_shapes.h"
#include "platform/threads.h"
#include "runtime/text_commands.h"
#include "table/recording_pass.h"

namespace {

// Texts for the run: enough for the compile cache to fill and evict many times over. The
// ASan build runs unoptimised and instrumented, about ten times slower, and gets a quarter.
#if defined(CELLBRAE_SANITIZE_ADDRESS)
constexpr int64_t kRunTexts = 50'000;
#else
constexpr int64_t kRunTexts = 200'000;
#endif
constexpr uint64_t kRunSeed = 0x18f;

ScriptOutcome referenceRun(const char* code) {
  ReferenceEngine* engine = referenceEngineNew();
  ReferenceOutcome raw;
  referenceEngineEval(engine, code, &raw);
  ScriptOutcome outcome = referenceOutcome(raw);
  referenceEngineFree(engine);
  return outcome;
}

TEST(ReferenceEngine, OutcomesInTheControlsTerms) {
  ScriptOutcome outcome = referenceRun("var a = 1;\nvar b = a +* 2");
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_TRUE(outcome.compiling);
  EXPECT_EQ(outcome.errorNumber, 1001);
  EXPECT_EQ(outcome.description, u"unexpected token in expression: '*'") << "the file and line split off";
  EXPECT_EQ(outcome.line, 2);

  outcome = referenceRun("var o = {};\n\no.p.q");
  EXPECT_FALSE(outcome.compiling);
  EXPECT_EQ(outcome.errorNumber, 1003);
  EXPECT_EQ(outcome.description, u"cannot convert undefined to object");
  EXPECT_EQ(outcome.line, 3) << "from the stack trace";

  outcome = referenceRun("throw 'plain text'");
  EXPECT_EQ(outcome.errorNumber, 1000);
  EXPECT_EQ(outcome.description, u"plain text");

  outcome = referenceRun("'\xE5\xBA\x8F' + 1");  // 序, as the interpreter holds it
  ASSERT_TRUE(outcome.succeeded);
  EXPECT_EQ(outcome.type, VariantType::Text);
  EXPECT_EQ(outcome.text, u"\u5E8F1");
  outcome = referenceRun("[1]");
  EXPECT_EQ(outcome.type, VariantType::Null) << "objects have no value outside";
}

// Every kind of outcome, read on both sides: the wrapper must read the reference exactly as the
// control reads itself, or the fuzzers would report differences of our own making.
TEST(ReferenceEngine, ReadsEveryOutcomeAsTheControlDoes) {
  const std::u16string texts[] = {
      u"1 + 1", u"'text'", u"true", u"undefined", u"null", u"({})", u"[1, 2]", u"(function () {})",
      u"0 / 0", u"-0", u"1 / 0", u"5e-324", u"'序号，字段'", u"'\\uD800'", u"'\U00020BB7'", u"'a\\0b'",
      u"var a = 1;\nvar b = a +* 2", u"var o = {};\n\no.p.q", u"throw 'plain text'", u"throw 42",
      u"throw {toString: function () { throw new Error('again') }}", u"throw new RangeError('范围')",
      u"function outer() {\n  return inner()\n}\nfunction inner() {\n  return null.x\n}\nouter()",
      u"'unterminated", u"x = ", u"undefinedName", u"var e = new Error('m'); e.name = 'Custom'; throw e",
      u"JSON.parse('{')", u"decodeURIComponent('%')", u"'use strict'; undeclared = 1", u"var 序号 = 2; 序号 * 3",
      u"eval('1 +')", u"\n\n  throw new TypeError('third line')"};
  for (const std::u16string& text : texts) {
    EnginePair pair;
    EXPECT_TRUE(pair.run(text)) << describeDivergence(pair.divergence());
    EXPECT_TRUE(pair.run(text, false)) << "as AddCode: " << describeDivergence(pair.divergence());
    EXPECT_TRUE(pair.compareGlobals()) << describeDivergence(pair.divergence());
  }
}

TEST(OutcomeComparison, NumbersCompareBitForBit) {
  ScriptOutcome a, b;
  a.succeeded = b.succeeded = true;
  a.type = b.type = VariantType::Double;
  a.number = 0.0;
  b.number = -0.0;
  EXPECT_FALSE(sameOutcome(a, b)) << "0 and -0 are different values";
  a.number = 0.1 + 0.2;
  b.number = 0.3;
  EXPECT_FALSE(sameOutcome(a, b));
  a.number = std::nan("");
  b.number = -std::nan("1");
  EXPECT_TRUE(sameOutcome(a, b)) << "NaN is NaN whatever its bits";
  b.type = VariantType::Text;
  b.text = u"NaN";
  EXPECT_FALSE(sameOutcome(a, b));
  EXPECT_TRUE(sameOutcome(a, b, false)) << "AddCode has no value to compare";
}

TEST(OutcomeComparison, ErrorsCompareInEveryPart) {
  ScriptOutcome a;
  a.compiling = true;
  a.errorNumber = 1001;
  a.description = u"unexpected token";
  a.line = 2;
  ScriptOutcome b = a;
  EXPECT_TRUE(sameOutcome(a, b));
  b.line = 1;
  EXPECT_FALSE(sameOutcome(a, b));
  b = a;
  b.compiling = false;
  EXPECT_FALSE(sameOutcome(a, b));
  b = a;
  b.errorNumber = 1003;
  EXPECT_FALSE(sameOutcome(a, b));
  b = a;
  b.description = u"unexpected token ";
  EXPECT_FALSE(sameOutcome(a, b, false));
  b = a;
  b.succeeded = true;
  EXPECT_FALSE(sameOutcome(a, b, false));
}

TEST(EnginePair, EnginesOutOfStepShowInTheGlobals) {
  EnginePair pair;
  EXPECT_TRUE(pair.run(u"var shared = [1, '二']"));
  pair.runOnControlOnly(u"var extra = 'control only'");
  EXPECT_TRUE(pair.run(u"shared.length")) << "a text that does not look";
  EXPECT_FALSE(pair.compareGlobals());
  ASSERT_TRUE(pair.diverged());
  const Divergence& found = pair.divergence();
  EXPECT_EQ(found.texts.back().text, globalsText());
  EXPECT_EQ(found.texts.size(), 3u) << "the history holds what ran on both";
  EXPECT_NE(found.control.text.find(u"extra = \"control only\""), std::u16string::npos);
  EXPECT_EQ(found.reference.text.find(u"extra"), std::u16string::npos);
  EXPECT_NE(found.reference.text.find(u"shared = [1,\"二\"]"), std::u16string::npos);
}

TEST(EnginePair, DifferencesAreCutDownToTheTextsThatCauseThem) {
  std::vector<PairText> texts;
  for (int i = 0; i < 100; ++i) {
    texts.push_back({u"t" + std::u16string(1, char16_t(u'0' + i / 10)) + char16_t(u'0' + i % 10)});
  }
  auto has = [](const std::vector<PairText>& list, std::u16string_view text) {
    for (const PairText& entry : list) {
      if (entry.text == text) return true;
    }
    return false;
  };
  int tries = 0;
  const std::vector<PairText> shortest = shortestFailing(
      texts,
      [&](const std::vector<PairText>& fewer) {
        ++tries;
        return has(fewer, u"t17") && has(fewer, u"t60") && fewer.back().text == u"t99";
      },
      1000);
  ASSERT_EQ(shortest.size(), 3u);
  EXPECT_EQ(shortest[0].text, u"t17");
  EXPECT_EQ(shortest[1].text, u"t60");
  EXPECT_LT(tries, 100) << "whole runs go first";
}

// Sequences that once made our control and the reference disagree, kept as they were found.
TEST(EnginePair, SequencesThatOnceDisagreed) {
  const std::vector<std::vector<std::u16string>> sequences = {
      // A finally block is compiled once for each way out of its try.
      {u"for (var k = 0; k < 1; k++) { try { continue } finally { w = 'first' } } w",
       u"for (var k = 0; k < 1; k++) { try { continue } finally { w = 'second' } } w"},
      {u"do { try { break } finally { w = 1 } } while (false); w",
       u"do { try { break } finally { w = 2 } } while (false); w"},
      {u"(function () { try { return 'r1' } finally { w = 'f1' } })() + w",
       u"(function () { try { return 'r2' } finally { w = 'f2' } })() + w"},
      {u"l: { try { break l } finally { w = 'x' + 1 } } w", u"l: { try { break l } finally { w = 'y' + 2 } } w"},
  };
  for (const auto& sequence : sequences) {
    EnginePair pair;
    for (const std::u16string& text : sequence) pair.run(text);
    pair.compareGlobals();
    EXPECT_FALSE(pair.diverged()) << describeDivergence(pair.divergence());
  }
}

// Texts run in turn on one pair, each with the text it must answer on both engines.
using TextAndAnswer = std::pair<std::u16string, std::u16string>;
void expectTextsAgreeingOn(const std::vector<TextAndAnswer>& texts) {
  EnginePair pair;
  for (const auto& [text, expected] : texts) {
    pair.run(text);
    EXPECT_TRUE(pair.controlOutcome().succeeded) << printable(text);
    EXPECT_EQ(printable(pair.controlOutcome().text), printable(expected)) << printable(text);
  }
  pair.compareGlobals();
  EXPECT_FALSE(pair.diverged()) << describeDivergence(pair.divergence());
}

// A member of a string, number or boolean is read without an object made for the value, and
// every way the script can tell has to come out as when there was one: a getter still sees an
// object as `this`, a method the value itself, a text's length and characters count UTF-8
// characters, not bytes.
TEST(EnginePair, MembersOfPlainValuesReadAsOnAnObject) {
  const std::vector<TextAndAnswer> texts = {
      {u"'abc'.length + ',' + '序号x'.length + ',' + ''.length", u"3,3,0"},
      {u"var t = '序号x'; t[1] + t['2'] + typeof t[3] + typeof t[-1] + typeof t['01']", u"号xundefinedundefinedundefined"},
      {u"'a\\\\b'.replace(/\\\\/g, '/') + (5).toFixed(2) + true.toString() + 'q'.toString() + 'r'.valueOf()", u"a/b5.00trueqr"},
      {u"typeof 'x'.nothing + typeof (1).nothing + typeof false.nothing + typeof 'x'.constructor", u"undefinedundefinedundefinedfunction"},
      {u"String.prototype.kind = function () { return typeof this }; 'x'.kind() + String.prototype.toString.call('y')", u"stringy"},
      {u"Object.defineProperty(String.prototype, 'seen', { get: function () { return typeof this + this.length } }); 'four'.seen",
       u"object4"},
      {u"Number.prototype.twice = function () { return this * 2 }; '' + ((21).twice() + 'x'.length.twice())", u"44"},
      {u"var n = 3; n.toString(2) + n['toString'](3) + n[0]", u"1110undefined"},
  };
  expectTextsAgreeingOn(texts);
}

// JSON.stringify and replace write their texts a run at a time, and JSON.stringify makes its
// holder object only for a replacer function: escapes between runs, a text long enough for the
// buffer to grow, every kind of character at the edges of those written as they are, the holder a
// replacer sees, toJSON and cycles at the top, all as before.
TEST(EnginePair, JsonAndReplacementTextsAsTheReferenceWritesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(JSON.stringify({'a"b': 'x\\y\u0001z序\t', n: [1, 'two', null, true], e: {}}))",
       uR"({"a\"b":"x\\y\u0001z序\t","n":[1,"two",null,true],"e":{}})"},
      {uR"(var ab = new Array(200).join('ab"'); JSON.stringify(ab).length + JSON.stringify(ab).slice(0, 9))",
       uR"(798"ab\"ab\")"},
      {uR"(JSON.stringify(String.fromCharCode(31, 32, 126, 127, 128, 34, 92, 33, 35, 91, 93, 0)))",
       u"\"\\u001F ~\x7F\x80\\\"\\\\!#[]\\u0000\""},
      {uR"(var seen; JSON.stringify({k: 1}, function (key, value) {
             if (key === '') seen = typeof this + Object.keys(this).length + (this[key] === value); return value }) + seen)",
       uR"({"k":1}object1true)"},
      {uR"(JSON.stringify({toJSON: function (key) { return 'key:' + key + typeof this.toJSON }}))", uR"("key:function")"},
      {uR"(var c = {d: {}}; c.d.up = c; try { JSON.stringify(c) } catch (e) { e.message })", u"cyclic object value"},
      {uR"(JSON.stringify({a: [1]}, null, 2) + JSON.stringify('plain'))", u"{\n  \"a\": [\n    1\n  ]\n}\"plain\""},
      {uR"('a-b-c'.replace(/-/g, '+=+') + 'xyz'.replace('y', '$&$&'))", u"a+=+b+=+cxyyz"},
  };
  expectTextsAgreeingOn(texts);
}

// Members are listed in the order they were made, an array's indices first (another object's
// numeric names take their turn): a few members are put in that order by the interpreter
// itself, more than eight by the C library's sort.
TEST(EnginePair, MembersListInTheOrderTheyWereMade) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(function keys(o) { var k, s = ''; for (k in o) s += k; return s }
           keys({z: 1, b: 2, y: 3}) + ',' + keys({q: 1}) + ',' + keys({h: 1, g: 2, f: 3, e: 4, d: 5, c: 6, b: 7, a: 8}))",
       u"zby,q,hgfedcba"},
      {uR"(var nine = {i: 1, h: 2, g: 3, f: 4, e: 5, d: 6, c: 7, b: 8, a: 9}; delete nine.e; nine.e = 0; keys(nine))",
       u"ihgfdcbae"},
      {uR"(var a = [5, 6]; a.x = 1; a[3] = 7; a.w = 2; a[2] = 8; keys(a) + ',' + Object.keys({b: 1, 10: 2, a: 3, 2: 4}).join(''))",
       u"0123xw,b10a2"},
      {uR"(JSON.stringify({column: '3,4', row: '5'}))", uR"({"column":"3,4","row":"5"})"},
  };
  expectTextsAgreeingOn(texts);
}

// An object of plain data is written by JSON.stringify without an iterator; everything else
// (a getter, an object member, a replacer, more members than the walk holds) goes the old way,
// and both must write what the reference writes.
TEST(EnginePair, JsonOfPlainAndOtherObjectsAsTheReferenceWritesIt) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var o = {z: 'a"\\', u: undefined, n: null, t: true, f: false, x: 1.5, i: -0, nan: 0 / 0};
           JSON.stringify(o) + JSON.stringify({}) + JSON.stringify({u: undefined}))",
       uR"({"z":"a\"\\","n":null,"t":true,"f":false,"x":1.5,"i":0,"nan":null}{}{})"},
      {uR"(var d = {c: '1', b: '2', a: '3'}; delete d.b; d.b = '4'; Object.defineProperty(d, 'hidden', {value: 5});
           Object.prototype.inherited = 6; var out = JSON.stringify(d); delete Object.prototype.inherited; out)",
       uR"({"c":"1","a":"3","b":"4"})"},
      {uR"(var g = {a: 1}; Object.defineProperty(g, 'b', {get: function () { delete g.c; return 'got' }, enumerable: true});
           g.c = 3; Object.defineProperty(g, 's', {set: function (v) {}, enumerable: true}); JSON.stringify(g))",
       uR"({"a":1,"b":"got"})"},
      {uR"(var m = {a: 1, f: function () {}, n: {b: [2, {c: 'x'}]}}; JSON.stringify(m) + JSON.stringify([{a: 1}, {u: undefined}]))",
       uR"({"a":1,"n":{"b":[2,{"c":"x"}]}}[{"a":1},{}])"},
      {uR"(JSON.stringify({row: '1', column: '2,3'}, ['column']) + JSON.stringify({a: 1, b: 2}, function (k, v) { return k === 'a' ? undefined : v }))",
       uR"({"column":"2,3"}{"b":2})"},
      {uR"(JSON.stringify({a: 1, b: 'two'}, null, '--') + JSON.stringify({a: undefined}, null, 2))",
       u"{\n--\"a\": 1,\n--\"b\": \"two\"\n}{}"},
      {uR"(Object.prototype.toJSON = function () { return 'whole' }; var w = JSON.stringify({a: 1}); delete Object.prototype.toJSON; w)",
       uR"("whole")"},
      {uR"(var big = {}; for (var k = 40; k > 0; --k) big['m' + k] = k; var j = JSON.stringify(big); j.length + j.slice(0, 16))",
       uR"(343{"m40":40,"m39":)"},
  };
  expectTextsAgreeingOn(texts);
}

// A regular expression literal's objects share the source the cache keeps with the compiled
// expression: each object still is new and its own, a copy made from one keeps its own source,
// and objects collected by the hundred leave the shared source whole.
TEST(EnginePair, RegularExpressionSourcesAsTheReferenceShowsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(function slash() { return /a\/b/g } var r1 = slash(), r2 = slash(); r1.lastIndex = 2;
           (r1 !== r2) + ',' + r2.lastIndex + ',' + r1.source + ',' + String(r2) + ',' + /a\/b/.source)",
       uR"(true,0,a\/b,/a\/b/g,a\/b)"},
      {uR"(var made = new RegExp('x/y', 'i'), copy = new RegExp(r1), copied = new RegExp(made);
           made.source + ',' + copy.source + ',' + String(copied) + ',' + new RegExp('x/y').source)",
       uR"(x\/y,a\/b,/x\/y/i,x\/y)"},
      {uR"(var s = ''; for (var n = 0; n < 40000; ++n) s = '5\\6'.replace(/\\/g, String.fromCharCode(9216)) + slash().source; s)",
       u"5\u24006a\\/b"},
      {uR"(r1.source + copy.source + String(/a\/b/m))", uR"(a\/ba\/b/a\/b/m)"},
  };
  expectTextsAgreeingOn(texts);
}

// A value made an object is taken as it is when it is one, and made one when it is not: a
// string, number or boolean still gets an object of its own, undefined and null still throw.
TEST(EnginePair, ValuesMadeObjectsAsTheReferenceMakesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(Object.prototype.toString.call('x') + Object.prototype.toString.call(1) + Object.prototype.toString.call(true))",
       u"[object String][object Number][object Boolean]"},
      {uR"(var p = 'text'; p.extra = 1; var q = 7; q.extra = 2; typeof p.extra + typeof q.extra + Object.keys(Object('ab')).join(''))",
       u"undefinedundefined01"},
      {uR"(var o = {a: 1}; Object(o) === o && Object('s') !== 's' && typeof Object('s') === 'object' ? 'same' : 'other')",
       u"same"},
      {uR"(var m = ''; try { undefined.x } catch (e) { m += e.message } try { null.y = 1 } catch (e) { m += ',' + e.message } m)",
       u"cannot convert undefined to object,cannot convert null to object"},
      {uR"(var k, s = ''; for (k in 'abc') s += k; s + [1, 2].concat.call('z', 3).length)", u"0122"},
  };
  expectTextsAgreeingOn(texts);
}

// The buffers JSON.stringify and numbers are written into grow a character at a
// time across their first size and every doubling, and start from nothing at the first one.
TEST(EnginePair, BuffersFilledACharacterAtATimeAsTheReferenceFillsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var u = JSON.stringify(new Array(40).join('\u0001')); u.length + u.slice(0, 7) + u.slice(-7))",
       uR"(236"")"},
      {uR"(var n = []; for (var i = 0; i < 70; ++i) n.push(i % 10); var j = JSON.stringify(n); j.length + j.slice(60, 70))",
       u"141,0,1,2,3,4"},
      {uR"(JSON.stringify([]) + JSON.stringify({}) + JSON.stringify([[]]) + (255).toString(16) + (0.5).toString(2))",
       u"[]{}[[]]ff0.1"},
  };
  expectTextsAgreeingOn(texts);
}

// A plain object's text members, short ones held in the value itself, literals of the code and
// texts made at run time alike, are written as the reference writes them, escapes, non-ASCII
// characters and indents included, between members of other kinds.
TEST(EnginePair, JsonOfTextMembersAsTheReferenceWritesIt) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var made = 'ma' + 'de at run time'; JSON.stringify({s: 'ab', l: 'a literal of the code', m: made, e: ''}))",
       uR"({"s":"ab","l":"a literal of the code","m":"made at run time","e":""})"},
      {uR"(JSON.stringify({q: 'a"b\\c', c: '\n\t\u0002', w: '序号', n: 1, u: undefined, z: null, t: 'end'}))",
       uR"({"q":"a\"b\\c","c":"\n\t\u0002","w":"序号","n":1,"z":null,"t":"end"})"},
      {uR"(JSON.stringify({u: undefined, a: 'x', b: 'y'}, null, 1) + JSON.stringify({row: String(5), column: 3 + ',4'}))",
       u"{\n \"a\": \"x\",\n \"b\": \"y\"\n}{\"row\":\"5\",\"column\":\"3,4\"}"},
      {uR"(String.prototype.toJSON = function () { return 'never for a primitive' };
           var j = JSON.stringify({a: 'kept'}); delete String.prototype.toJSON; j)",
       uR"({"a":"kept"})"},
  };
  expectTextsAgreeingOn(texts);
}

// A text with nothing to escape goes in with its quotes at once, the rest a run at a time
// around each escape: an escape first, last or alone, a text that fills the buffer to its last
// byte or one past it, and texts that are not ASCII, written whole as the reference writes them.
TEST(EnginePair, JsonTextsWithAndWithoutEscapesAsTheReferenceWritesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(JSON.stringify(['"first', 'last\\', '\n', '', 'mid"dle', '序', 'x序y']))",
       uR"(["\"first","last\\","\n","","mid\"dle","序","x序y"])"},
      {uR"(var w = new Array(63).join('w'); var fit = JSON.stringify(w), past = JSON.stringify(w + 'v');
           fit.length + ',' + past.length + ',' + past.slice(-3) + ',' + JSON.stringify([w]).length)",
       uR"(64,65,wv",66)"},
      {uR"(var k = {}; k[new Array(70).join('k')] = 'v"'; k['a\u0001'] = 'plain'; var j = JSON.stringify(k); j.length + j.slice(-20))",
       uR"(97","a\u0001":"plain"})"},
  };
  expectTextsAgreeingOn(texts);
}

// Members are read by name, by a computed name and by index on values of every kind: objects
// (functions and arrays among them) read them on themselves, the rest as plain values do, and
// undefined and null still throw whichever way they are read.
TEST(EnginePair, MembersOfEveryKindOfValueAsTheReferenceReadsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var vals = [{a: 1, length: 'own'}, [5], 'st', 4, true, function f(x) {}], out = '', name = 'length';
           for (var i = 0; i < vals.length; ++i) out += typeof vals[i].a + typeof vals[i][0] + vals[i][name] + ',';
           out)",
       u"numberundefinedown,undefinednumber1,undefinedstring2,undefinedundefinedundefined,"
       u"undefinedundefinedundefined,undefinedundefined1,"},
      {uR"(var m = ''; try { null[0] } catch (e) { m += e.message } try { undefined[name] } catch (e) { m += ',' + e.message } m)",
       u"cannot convert null to object,cannot convert undefined to object"},
  };
  expectTextsAgreeingOn(texts);
}

// Property names are ordered by their first character before the rest: names that differ
// only later, the empty name, and names whose first byte is not ASCII (above every ASCII one)
// are all found, added, deleted and missed in trees shallow and deep.
TEST(EnginePair, PropertiesByNameAsTheReferenceFindsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var names = ['', 'a', 'ab', 'aa', 'b', '序', '序号', 'é', 'z', 'Z', '\u0080', '~', 'a\u0000b', '0', '10', '9'];
           function fill(count) { var o = {}; for (var i = 0; i < count; ++i) o[names[i]] = i; return o }
           function read(o, count) { var s = ''; for (var i = 0; i < count; ++i) s += o[names[i]] + (names[i] in o ? '' : '!'); return s }
           read(fill(5), 5) + ',' + read(fill(16), 16) + ',' + ('序x' in fill(16)) + ('' in {}) + ('é' in fill(7)) + ('é' in fill(8)))",
       u"01234,0123456789101112131415,falsefalsefalsetrue"},
      {uR"(var deep = fill(16); delete deep['序']; delete deep['']; delete deep['ab']; deep['序'] = 'back';
           read(deep, 16) + ',' + Object.keys(deep).length + ',' + deep['序号'] + deep['a\u0000b'])",
       u"undefined!1undefined!34back6789101112131415,14,612"},
  };
  expectTextsAgreeingOn(texts);
}

// Lookups in big objects (the global object, the prototypes, a big record) go through the
// property cache first: a member found by a literal name and by one made at run time, then
// deleted, made again, and shadowed on the object above a prototype, is read as the
// reference reads it at every step.
TEST(EnginePair, MembersOfBigObjectsAsTheReferenceFindsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var big = {}; for (var i = 0; i < 20; ++i) big['p' + i] = i; var seen = '' + big.p5 + big['p' + 5] + big['p1' + '9'];
           delete big.p5; seen += typeof big.p5 + typeof big['p' + 5]; big.p5 = 'again'; seen + big.p5 + big['p' + (10 - 5)])",
       u"5519undefinedundefinedagainagain"},
      {uR"(var under = Object.create(big); var s = under.p7 + ','; under.p7 = 'own'; s += under.p7 + big.p7; delete under.p7;
           s + under.p7 + (under.hasOwnProperty('p7') ? 'own' : 'inherited'))",
       u"7,own77inherited"},
      {uR"(var g = typeof globalLater; globalLater = 'made'; g + globalLater + this['global' + 'Later'] + delete this.globalLater + typeof globalLater)",
       u"undefinedmademadetrueundefined"},
  };
  expectTextsAgreeingOn(texts);
}

// Values pushed on the interpreter's stack up to its end and past it: a call with many
// arguments runs, one with more than the stack holds throws, and the stack is whole after it.
TEST(EnginePair, TheStackFilledAndOverflowedAsInTheReference) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var up = []; for (var i = 1; i <= 100; ++i) up.push(i); var r = Math.max.apply(null, up) + ',';
           try { Math.max.apply(null, new Array(300)) } catch (e) { r += typeof e + ':' + e } r + ',' + Math.min.apply(null, up))",
       u"100,string:stack overflow,1"},
  };
  expectTextsAgreeingOn(texts);
}

// push puts its values on the end of a flat array directly; arrays with holes or named
// members, objects with a length and arrays cut shorter still answer as the reference does.
TEST(EnginePair, PushesAsTheReferencePushesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var a = []; var r = [a.push(), a.push('x'), a.push(1, {k: 2}, null), a.push.apply(a, new Array(9))];
           r.join() + '|' + a.length + JSON.stringify(a.slice(0, 4)) + typeof a[12] + (12 in a))",
       uR"(0,1,4,13|13["x",1,{"k":2},null]undefinedtrue)"},
      {uR"(var h = [1]; h[3] = 4; var s = h.push(5); var o = {length: 2, 1: 'b'}; var t = Array.prototype.push.call(o, 'c');
           s + ',' + h.join('-') + ',' + t + o[2] + o.length + ',' + JSON.stringify(Object.keys(o)))",
       uR"(5,1---4-5,3c3,["length","1","2"])"},
      {uR"(var c = [1, 2, 3]; c.length = 1; c.push('n'); var f = Object.freeze([7]); var g = f.push(8);
           c.join() + ',' + g + f.length + ',' + Array.prototype.push.call({}, 'only') + ',' + [].push.call(new String('ab'), 1))",
       u"1,n,22,1,3"},
      {uR"(var many = []; for (var i = 0; i < 100; ++i) many.push(i, -i); many.length + ',' + many[199] + ',' + many.indexOf(-50))",
       u"200,-99,101"},
  };
  expectTextsAgreeingOn(texts);
}

// JSON.stringify asks for toJSON only on chains where a property of that name was ever made:
// one made late on an object already written, on a prototype in the middle of a chain, as a
// getter, as a value that cannot be called, deleted again, and Date's own, are all seen.
TEST(EnginePair, ToJsonWhereverTheReferenceFindsIt) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var rec = {row: '1'}; var s = JSON.stringify(rec); rec.toJSON = function (k) { return 'k=' + k };
           s += JSON.stringify(rec) + JSON.stringify({at: rec}); delete rec.toJSON; s + JSON.stringify(rec))",
       uR"({"row":"1"}"k="{"at":"k=at"}{"row":"1"})"},
      {uR"(var mid = {}; var low = Object.create(mid); low.a = 1; var t = JSON.stringify([low]);
           Object.defineProperty(mid, 'toJSON', {get: function () { return function () { return 'got' } }});
           t + JSON.stringify([low]) + JSON.stringify(Object.create(low)))",
       uR"([{"a":1}]["got"]"got")"},
      {uR"(var plain = {toJSON: 7, b: 2}; String.prototype.toJSON = function () { return 'str' };
           var u = JSON.stringify(plain) + JSON.stringify([new String('x'), 'y']); delete String.prototype.toJSON;
           u + JSON.stringify({d: new Date(0)}) + JSON.stringify([new String('x')]))",
       uR"({"toJSON":7,"b":2}["str","y"]{"d":"1970-01-01T00:00:00.000Z"}["x"])"},
  };
  expectTextsAgreeingOn(texts);
}

// An assignment or an object literal's member looks along the chain only where some object on
// it ever had a getter, a setter or a read-only property: ones made after the objects, on a
// prototype two steps up, by freezing, and inside strict code are all honoured.
TEST(EnginePair, AssignmentsThroughChainsAsTheReferenceMakesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(var top = {}, mid = Object.create(top), low = Object.create(mid); var log = '';
           var pr = {v: 1}, ch = Object.create(pr); ch.v = 2; var plain = '' + pr.v + ch.v + ch.hasOwnProperty('v');
           Object.defineProperty(top, 'a', {set: function (v) { log += 'set' + v }}); Object.defineProperty(top, 'b', {get: function () { return 'g' }});
           low.a = 2; mid.b = 3; low.c = 4; plain + ',' + log + ',' + low.a + low.b + mid.b + low.c + Object.keys(low).join('') + Object.keys(mid).join(''))",
       u"12true,set2,undefinedgg4c"},
      {uR"(var base = {k: 1}; var kid = Object.create(base); kid.before = 0; Object.freeze(base); kid.k = 2; base.k = 3; base.n = 4;
           var sealed = Object.preventExtensions({old: 1}); sealed.old = 2; sealed.more = 3;
           kid.k + ',' + base.k + typeof base.n + ',' + sealed.old + typeof sealed.more + ',' + Object.keys(kid).join())",
       u"1,1undefined,2undefined,before"},
      {uR"((function () { 'use strict'; var m = ''; try { kid.k = 5 } catch (e) { m += e.message } try { low.b = 1 } catch (e) { m += ';' + e.message }
           try { sealed.more = 1 } catch (e) { m += ';' + e.message } try { 'text'.x = 1 } catch (e) { m += ';' + e.message } var p = {q: 1}; p.q = 2; return m + ';' + p.q })())",
       u"'k' is read-only;setting property 'b' that only has a getter;object is non-extensible;2"},
      {uR"(Object.defineProperty(Object.prototype, 'ro', {value: 'fixed'}); var lit = {ro: 'mine', x: 1}; var r = lit.ro + ({}).ro;
           var was = Object.getOwnPropertyNames(lit).join(); delete Object.prototype.ro; r + was)",
       u"fixedfixedx"},
  };
  expectTextsAgreeingOn(texts);
}

// replace with a one-character pattern answers at once when the text does not hold that
// character, and only for a pattern that stands for itself: every metacharacter alone, the
// characters beside them in the character table, escapes and classes, a character that is
// not ASCII (and a text holding its neighbour) and a pattern that ignores case, each on texts
// with and without it, at their start and end.
TEST(EnginePair, OneCharacterPatternsAsTheReferenceMatchesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"('ab'.replace(/./g, 'x') + ',' + 'ab'.replace(/|/g, '-') + ',' + 'ab'.replace(/^/g, '>') + ',' + 'ab'.replace(/$/g, '<'))",
       u"xx,-a-b-,>aab,ab<"},
      {uR"('a.b'.replace(/\./g, '!') + 'ab'.replace(/\./g, '!') + ',' + 'a/b'.replace(/\//g, '') + ',' + 'a?b$c'.replace(/\?/g, '').replace(/\$/g, '') +
           ',' + 'a^b'.replace(/\^/g, '') + 'a\\b'.replace(/\\/g, '/') + 'a|b'.replace(/\|/g, '') + 'a{b}'.replace(/\{/g, '').replace(/\}/g, ''))",
       u"a!bab,ab,abc,aba/babab"},
      {uR"('a#%,-0:>@_`~ z'.replace(/#/g, '1').replace(/%/g, '2').replace(/,/g, '3').replace(/-/g, '4').replace(/0/g, '5').replace(/:/g, '6')
           .replace(/>/g, '7').replace(/@/g, '8').replace(/_/g, '9').replace(/`/g, 'A').replace(/~/g, 'B').replace(/ /g, 'C') + 'q'.replace(/#/g, '1'))",
       u"a123456789ABCzq"},
      {uR"('a1b'.replace(/\d/g, '#') + ',' + 'a b'.replace(/\s/g, '_') + ',' + 'a_b'.replace(/\w/g, '!') + ',' + 'A'.replace(/a/gi, 'i') + 'A'.replace(/a/g, 'g'))",
       u"a#b,a_b,!!!,iA"},
      {uR"('x序y'.replace(/序/g, '-') + 'xy'.replace(/序/g, '-') + ',' + 'ab'.replace(/ab/g, '-') + 'a'.replace(/ab/g, '-') + ',' +
           '序号'.replace(new RegExp(String.fromCharCode(24207), 'g'), '*') + ',' + 'a\u2400b'.replace(new RegExp(String.fromCharCode(9216), 'g'), '\\'))",
       u"x-yxy,-a,*号,a\\b"},
      {uR"('\\ab'.replace(/\\/g, '/') + 'ab\\'.replace(/\\/g, '/') + '\\'.replace(/\\/g, '/') + ''.replace(/\\/g, '/') + '|' +
           'x␁y'.replace(new RegExp(String.fromCharCode(9216), 'g'), '!') + '␀'.replace(new RegExp(String.fromCharCode(9216), 'g'), '!'))",
       u"/abab//|x␁y!"},
      {uR"(var g = /z/g; g.lastIndex = 3; var none = 'abc'.replace(g, 'y'); var some = 'azc'.replace(g, 'y'); none + some + g.lastIndex)",
       u"abcayc0"},
  };
  expectTextsAgreeingOn(texts);
}

// Compiled expressions are found by hints, by pattern and by program, before a walk over
// the cache: patterns that fall on the same hint (same length, ends and flags), the same
// pattern with other flags, more patterns than the cache holds, and objects of cached and
// uncached programs collected by the thousand, all match as the reference matches them.
TEST(EnginePair, RegularExpressionsCachedByPatternAsTheReferenceCompilesThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"([/a.c/.test('azc'), /abc/.test('azc'), /a.c/.test('azc'), /axc/.test('azc'), /abc/i.test('ABC'), /abc/.test('ABC'),
            /abc/m.test('ABC'), /a.c/.test('abc')].join())",
       u"true,false,true,false,true,false,false,true"},
      {uR"(var hits = ''; for (var k = 0; k < 45; ++k) hits += new RegExp('a' + k + 'c').test('xa' + k + 'cy') ? 1 : 0;
           hits.length + ',' + hits.indexOf('0') + ',' + new RegExp('a7c').test('a17c') + /a.c/.exec('xabcx')[0])",
       u"45,-1,falseabc"},
      {uR"(var s = ''; for (var n = 0; n < 30000; ++n) s = /b+/.exec('abbc')[0] + new RegExp('q' + (n % 50) + '$').test('xq' + (n % 50)) + /a.c/.source;
           s + ',' + /a.c/.test('a-c') + /abc/.test('a-c') + new RegExp('q45$').test('q45') + new RegExp('a44c').test('a44c'))",
       u"bbtruea.c,truefalsetruetrue"},
  };
  expectTextsAgreeingOn(texts);
}

// Texts of one shape with other literals are run by refilling one compiled template: longer
// and shorter sources and literals than the last, a literal past its buffer's size, numbers,
// and one with an escape that is compiled afresh. And texts of up to 15 bytes, which a value
// holds itself, pushed and cut at every length across that bound, ASCII or not.
TEST(EnginePair, RefilledLiteralsAndShortTextsAsTheReferenceHasThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"(seen = 'abcdefghijklmnopqrstuvwxyz0123456789'.length + ',' + 'x')", u"36,x"},
      {uR"(seen = 'b'.length + ',' + 'y')", u"1,y"},
      {uR"(seen = 'cccccccccccccccccccccccccccccccccccccccccccccccccccc'.length + ',' + 'zzzzzzzzzzzzzzzzzz')",
       u"52,zzzzzzzzzzzzzzzzzz"},
      {uR"(seen = ''.length + ',' + 'abcdefghijklmno')", u"0,abcdefghijklmno"},
      {uR"(seen = 'a\'b'.length + ',' + 'abcdefghijklmnop')", u"3,abcdefghijklmnop"},
      {uR"(seen = 'abcdefg'.length + ',' + 'abcdefgh')", u"7,abcdefgh"},
      {uR"(seen = 'abcd'.length + ',' + 'abc')", u"4,abc"},
      {uR"(var one = 1; count = '' + (5 + one))", u"6"},
      {uR"(var one = 1; count = '' + (1234567 + one))", u"1234568"},
      {uR"(var one = 1; count = '' + (7 + one))", u"8"},
      {uR"(var t = '0123456789abcdefghij', r = []; for (var k = 0; k <= 17; ++k) r.push(t.slice(0, k).length + t.substring(20 - k));
           r.join('.'))",
       u"0.1j.2ij.3hij.4ghij.5fghij.6efghij.7defghij.8cdefghij.9bcdefghij.10abcdefghij.119abcdefghij.1289abcdefghij."
       u"13789abcdefghij.146789abcdefghij.1556789abcdefghij.16456789abcdefghij.173456789abcdefghij"},
      {uR"(var u = '序号序号序'; u.slice(0, 4) + u.length + String(123456789012345) + String(1234567890123456) + (0.5).toString() + typeof String(''))",
       u"序号序号5123456789012345" u"12345678901234560.5string"},
  };
  expectTextsAgreeingOn(texts);
}

// A refill walks the last source and the new one together from difference to difference:
// several literals changed at once, longer and shorter, a quote of the other kind, one that is
// no longer plain, a number with no known end before them, a member name compiled in, spaces
// added right after a literal and at the end. Each text follows one of the same shape, so a
// place kept wrong after one refill shows in the next text's answer.
TEST(EnginePair, TextsRefilledAtSeveralPlacesAsTheReferenceReadsThem) {
  const std::vector<TextAndAnswer> texts = {
      {uR"([1.5, 'ab', 12, 'cd', {'k': 'v'}['k']].join())", u"1.5,ab,12,cd,v"},
      {uR"([1.5, 'abc', 12, 'cd', {'k': 'v'}['k']].join())", u"1.5,abc,12,cd,v"},
      {uR"([1.5, 'x', 123456, "q'q", {'k': 'v'}['k']].join())", u"1.5,x,123456,q'q,v"},
      {uR"([1.5, 'abcdefghijklmnopqrstuvwxyz0123', 7, '', {'k': 'v'}['k']].join())",
       u"1.5,abcdefghijklmnopqrstuvwxyz0123,7,,v"},
      {uR"([1.5, 'y', 70, 'e', {'k': 'v'}['k']].join())", u"1.5,y,70,e,v"},
      {uR"([1.5, 'y', 70, 'e', {'j': 'v'}['j']].join())", u"1.5,y,70,e,v"},
      {uR"([1.5, 'y', 70, 'e', {'j': 'w'}['k']].join())", u"1.5,y,70,e,"},
      {uR"([1.5, 'y', 71, 'e', {'j': 'w'}['j']].join())", u"1.5,y,71,e,w"},
      {uR"([2.5, 'y', 71, 'e', {'j': 'w'}['j']].join())", u"2.5,y,71,e,w"},
      {uR"([2.5, 'z', 71 , 'f', {'j': 'w'}['j']].join())", u"2.5,z,71,f,w"},
      {uR"([2.5, 'zz', 71 , 'g', {'j': 'w'}['j']].join())", u"2.5,zz,71,g,w"},
      {uR"([2.5, 'zz', 71.5 , 'g', {'j': 'w'}['j']].join())", u"2.5,zz,71.5,g,w"},
      {uR"([2.5, 'zz', 8 , 'g', {'j': 'w'}['j']].join())", u"2.5,zz,8,g,w"},
      {uR"([2.5, 'zz', 8 , 'a\'b', {'j': 'w'}['j']].join())", u"2.5,zz,8,a'b,w"},
      {uR"([2.5, 'zz', 9 , 'hh', {'j': 'w'}['j']].join())", u"2.5,zz,9,hh,w"},
      {uR"([2.5, 'zz', 9 , 'hh', {'j': 'w'}['j']].join() )", u"2.5,zz,9,hh,w"},
      {uR"([2.5, 'zz', 10 , 'hh', {'j': 'w'}['j']].join() )", u"2.5,zz,10,hh,w"},
      {uR"(seen = 'ab' + 'cd')", u"abcd"},
      {uR"(seen = 'abc' + 'cd')", u"abccd"},
      {uR"(seen = 'a' + 'c')", u"ac"},
      {uR"(seen = 'a' , 'c')", u"c"},
      {uR"(seen = 'a' + 'c')", u"ac"},
      {uR"(seen = 'a' + 'c' )", u"ac"},
      {uR"(seen = 'b' + 'c' )", u"bc"},
      {uR"(seen = 'b' + 'c'  )", u"bc"},
      {uR"(seen = 'b' + 'd'  )", u"bd"},
      {uR"(seen = 'b' + 'd	')", u"bd\t"},
      {uR"(seen = 'b' + '序')", u"b序"},
      {uR"(seen = 'b' + 0x1F)", u"b31"},
      {uR"(seen = 'b' + 12)", u"b12"},
      {uR"(seen = 'b' + 13)", u"b13"},
      {uR"(seen = 'b' + 'e')", u"be"},
      {uR"(seen = 'b' + 'f')", u"bf"},
      {uR"(seen = 'b' + 'e\n')", u"be\n"},
      {uR"(seen = 'ab' +'cd' + 'e')", u"abcde"},
      {uR"(seen = 'ab' +'cd' + 'f')", u"abcdf"},
      {uR"(seen = 'ab' +'cd' + 'g')", u"abcdg"},
      {uR"(seen = 'ab' ,'cd' + 'g')", u"cdg"},
  };
  expectTextsAgreeingOn(texts);
  // A difference at every place a word of the comparison can start or end: the first literal
  // grows a byte a line and moves what follows it, or the last one changes in place.
  const auto decimal = [](int number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
  };
  std::vector<TextAndAnswer> moving;
  for (int k = 0; k < 20; ++k) {
    const std::u16string run(k, u'a'), number = decimal(k * 7);
    moving.push_back({u"seen = '" + run + u"b' + " + number + u" + 'c'", run + u"b" + number + u"c"});
  }
  for (int k = 0; k < 20; ++k) {
    const std::u16string run(k, u'p'), number = decimal(k % 10);
    moving.push_back({u"seen = '" + run + u"' + '" + number + u"'", run + number});
    moving.push_back({u"seen = '" + run + u"' + '" + number + u"q'", run + number + u"q"});
  }
  expectTextsAgreeingOn(moving);
}

// Global variables are found again by the name's address until a property can have gone:
// one deleted and made again, made by assignment or as a getter, read from a function and
// through a with, one hidden by a local, names missed and then made (Object.prototype's
// among them), and names of the same text made at run time, between collections.
TEST(EnginePair, GlobalVariablesAsTheReferenceFindsThem) {
  const std::vector<TextAndAnswer> texts = {
      {u"gone = 'first'; var seen = gone; delete this.gone; seen += typeof gone; gone = 'again'; seen + gone", u"firstundefinedagain"},
      {u"gone + (function () { return gone })() + (function () { var gone = 'local'; return gone })() + this['go' + 'ne']",
       u"againagainlocalagain"},
      {u"typeof hasOwnProperty + typeof toString + typeof valueOf", u"undefinedundefinedundefined"},
      {u"hasOwnProperty = 5; typeof hasOwnProperty + hasOwnProperty + typeof toString", u"number5undefined"},
      {u"var n = 0; Object.defineProperty(this, 'counted', {get: function () { return ++n }, configurable: true}); '' + (counted + counted + counted)",
       u"6"},
      {u"delete this.counted; counted = 'plain'; var w = ''; with ({counted: 'inner'}) { w += counted } w + counted", u"innerplain"},
      {u"var keep = ''; for (var i = 0; i < 30000; ++i) { var temp = {k: i}; keep = gone + temp.k } delete this.gone; keep + typeof gone",
       u"again29999undefined"},
      {u"var made = 'gon' + 'e'; this[made] = 'by name'; gone + this[made] + (function () { return typeof gone })()", u"by nameby namestring"},
  };
  expectTextsAgreeingOn(texts);
}

// The generator must keep writing texts that mostly run: one that drifted into writing junk
// would leave the interpreter's inside untouched and the run green.
TEST(StatementShapes, TextsMostlyRunAndEveryKindOfFailureComes) {
  ShapePool shapes;
  ChoiceStream choices(kRunSeed);
  EnginePair pair;
  pair.run(kShapesPrelude);
  std::map<std::string, int> kinds;
  constexpr int kTexts = 3000;
  for (int i = 0; i < kTexts; ++i) {
    pair.run(shapes.nextText(choices));
    const ScriptOutcome& outcome = pair.controlOutcome();
    ++kinds[outcome.succeeded ? "ran" : outcome.compiling ? "did not compile" : "threw"];
  }
  EXPECT_GT(kinds["ran"], kTexts / 2);
  EXPECT_GT(kinds["threw"], kTexts / 20);
  EXPECT_GT(kinds["did not compile"], 0);
  EXPECT_LT(kinds["did not compile"], kTexts / 10);
}

TEST(StatementShapes, ASeedGivesTheSameTextsEveryTime) {
  ShapePool first, second;
  ChoiceStream a(kRunSeed), b(kRunSeed);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(first.nextText(a), second.nextText(b)) << "text " << i;
}

// libFuzzer steers the texts only if an input's bytes make the first choices.
TEST(ChoiceStream, AnInputsBytesMakeTheFirstChoices) {
  const uint8_t bytes[] = {5, 200, 0x12, 0x34};
  ChoiceStream choices(bytes, sizeof bytes);
  EXPECT_EQ(choices.below(12), 5u);
  EXPECT_EQ(choices.below(256), 200u);
  EXPECT_EQ(choices.below(1000), 0x1234u % 1000);
  ChoiceStream again(bytes, sizeof bytes);
  for (int i = 0; i < 3; ++i) again.below(1000);
  ChoiceStream other(bytes, 3);
  for (int i = 0; i < 3; ++i) other.below(1000);
  EXPECT_NE(again.below(1u << 30), other.below(1u << 30)) << "what follows the bytes is seeded by all of them";
}

// The cell store's half of the fuzzers is worth something only if every text the program's
// own code sends reaches a pair, and the answers it gets back are the control's own.
TEST(DifferentialControl, TheProgramsTextsRunOnPairsAndGetTheControlsAnswers) {
  DifferentialControlScope standIn;
  JsonDocument cellStore;
  ASSERT_EQ(EnginePair::live().size(), 1u);
  EnginePair::takeEndedDivergences();
  int64_t before = EnginePair::textsRunInProcess();
  { JsonDocument scratch; }
  const int64_t documentMade = EnginePair::textsRunInProcess() - before;
  before = EnginePair::textsRunInProcess();
  const ArrayValue lines = splitText("a,bb\r\nccc,d\r\n'e\\", "\r\n");
  ColumnMeasure measure;
  // The row records on this thread, so that their document's pair is made under the scope.
  const ThreadStart usual = replaceThreadStart(refusingThreadStart);
  const bool recorded = recordLines(InputLines(lines), ",", cellStore, measure);
  replaceThreadStart(usual);
  ASSERT_TRUE(recorded);
  EXPECT_EQ(EnginePair::textsRunInProcess() - before, documentMade + 7 + 9 + 9 + 1)
      << "the row record made, nine texts a line (the first line seven), the row record emptied";
  EXPECT_EQ(cellStore.count("test"), 3);
  EXPECT_STREQ(cellStore.getValue("test[2].column").c_str(), "3");
  EXPECT_STREQ(cellStore.getValue("test[1].row").c_str(), "2");
  for (EnginePair* pair : EnginePair::live()) {
    EXPECT_TRUE(pair->compareGlobals());
    EXPECT_FALSE(pair->diverged()) << describeDivergence(pair->divergence());
  }
  EXPECT_TRUE(EnginePair::takeEndedDivergences().empty()) << "the row record's pair agreed to its end";
}

TEST(DifferentialSession, APairOutOfStepIsReportedAndReplaced) {
  DifferentialSession session;
  ChoiceStream choices(kRunSeed);
  session.runSequence(choices);
  EnginePair* first = EnginePair::live().front();
  first->runOnControlOnly(u"var onlyOnOneSide = 1");
  session.runSequence(choices);
  ASSERT_EQ(session.divergences().size(), 1u);
  EXPECT_NE(session.divergences()[0].control.text.find(u"onlyOnOneSide"), std::u16string::npos);
  for (int i = 0; i < 20; ++i) session.runSequence(choices);
  EXPECT_EQ(session.divergences().size(), 1u) << "the fresh pairs agree again";
}

TEST(ScriptDifferential, FixedSeedRunAgrees) {
  DifferentialSession session;
  ChoiceStream choices(kRunSeed);
  while (session.textsRun() < kRunTexts) session.runSequence(choices);
  std::printf("%lld texts in %lld sequences, %zu differences\n", static_cast<long long>(session.textsRun()),
              static_cast<long long>(session.sequencesRun()), session.divergences().size());
  EXPECT_TRUE(session.divergences().empty());
  // The first few, cut down to what causes them (the rest usually repeat the first).
  for (size_t i = 0; i < session.divergences().size() && i < 3; ++i) {
    ADD_FAILURE() << describeDivergence(minimizeDivergence(session.divergences()[i], 1500));
  }
}

}  // namespace
