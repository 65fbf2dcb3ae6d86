// The object layer and the script control behind it, as both platforms have them: creation
// and per-thread initialisation, the invoke-kind orders and result coercion, the global
// scope and completion values, the GBK crossing, the script library, engines on threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "tests/script_engine_facts.h"
#include "tests/script_engine_support.h"

namespace {

const ObjectSystem& objects() { return platformObjects(); }

// ---- the object layer, with a class of the test's own -----------------------------------

// A class whose members accept chosen invoke kinds and answer with the kind that ran.
int destroyedProbes = 0;
const ObjectClass kProbeClass{
    [] { return static_cast<void*>(new int(0)); },
    nullptr,
    [](std::u16string_view name, uint32_t* kinds) {
      if (name == u"GetOrCall") *kinds = InvokePropertyGet | InvokeMethod;
      else if (name == u"PutRefOrCall") *kinds = InvokePropertyPutRef | InvokeMethod;
      else if (name == u"PutOnly") *kinds = InvokePropertyPut;
      else return -1;
      return 0;
    },
    [](void*, int32_t, InvokeKind kind, const Argument*, int32_t, Variant* result) {
      result->type = VariantType::Double;
      result->number = kind;
      return int32_t{ObjectOk};
    },
    [](void* instance) {
      delete static_cast<int*>(instance);
      ++destroyedProbes;
    },
};

TEST(ObjectLayer, CreationNeedsInitialisationAndARegisteredClass) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComObject target;
  EXPECT_FALSE(createObject(target, "MSScriptControl.ScriptControl")) << "thread not initialised";
  EXPECT_TRUE(target.isEmpty());

  ComScope com;
  EXPECT_FALSE(createObject(target, "Cellbrae.NoSuchClass"));
  EXPECT_TRUE(target.isEmpty());
  EXPECT_TRUE(createObject(target, "msscriptcontrol.scriptcontrol")) << "ProgIDs ignore case";
  ComObject byClassId;
  EXPECT_TRUE(createObject(byClassId, kScriptControlClassIdText));

  // A failed creation leaves the old reference in place.
  PlatformObject* before = target.reference();
  EXPECT_FALSE(createObject(target, "Cellbrae.NoSuchClass"));
  EXPECT_EQ(target.reference(), before);
}

TEST(ObjectLayer, InitialisationCountsPerThread) {
  const int32_t start = objects().initializationCount();
  EXPECT_EQ(objects().initialize(), start == 0 ? 0 : 1);
  EXPECT_EQ(objects().initializeMainThread(), 1);
  EXPECT_EQ(objects().initializationCount(), start + 2);
  std::thread([] { EXPECT_EQ(objects().initializationCount(), 0); }).join();
  objects().uninitialize();
  objects().uninitialize();
  EXPECT_EQ(objects().initializationCount(), start);
  if (start == 0) {
    objects().uninitialize();  // one too many does nothing
    EXPECT_EQ(objects().initializationCount(), 0);
  }
}

TEST(ObjectLayer, EmptyObjectAnswersZeroValues) {
  const ComObject empty;
  EXPECT_FALSE(callBoolean(empty, "Eval", "1"));
  EXPECT_EQ(callDouble(empty, "Eval", "1"), 0);
  EXPECT_TRUE(callText(empty, "Eval", "1").isNull());
  EXPECT_TRUE(callObject(empty, "Error").isEmpty());
  EXPECT_FALSE(putText(empty, "Language", "JavaScript"));
  EXPECT_EQ(lastAccessStatus(), ObjectNoObject);
}

TEST(ObjectLayer, InvokeKindOrdersAndReferenceCounting) {
  ComScope com;
  objects().registerClass(u"Cellbrae.Probe", u"{00000000-0000-0000-0000-000000000001}", &kProbeClass);
  destroyedProbes = 0;
  {
    ComObject probe;
    ASSERT_TRUE(createObject(probe, "Cellbrae.Probe"));
    EXPECT_EQ(getDouble(probe, "GetOrCall"), InvokePropertyGet);
    EXPECT_EQ(callDouble(probe, "GetOrCall"), InvokeMethod);
    EXPECT_EQ(callDouble(probe, "PutRefOrCall"), InvokeMethod);
    EXPECT_EQ(callDouble(probe, "PutOnly"), InvokePropertyPut) << "call falls back to put last";
    EXPECT_TRUE(putText(probe, "PutRefOrCall", "x"));
    EXPECT_EQ(getDouble(probe, "PutOnly"), 0) << "get never puts";
    EXPECT_EQ(lastAccessStatus(), ObjectUnknownMember);
    EXPECT_EQ(getDouble(probe, "Missing"), 0);
    EXPECT_EQ(lastAccessStatus(), ObjectUnknownMember);

    ComObject second = probe;
    probe.clear();
    EXPECT_TRUE(probe.isEmpty());
    EXPECT_EQ(destroyedProbes, 0) << "the copy still holds a reference";
  }
  EXPECT_EQ(destroyedProbes, 1);
  EXPECT_TRUE(objects().revokeClass(u"Cellbrae.Probe"));
  EXPECT_FALSE(objects().revokeClass(u"Cellbrae.Probe"));
}

// A class whose one member answers as its argument says: "bool:1", "num:2.5", "text:...",
// "null", "self" (a new object of this class), "fail" and "fail:..." (a text written, then a
// failure). Its other members, with names that share their beginnings, answer their own index.
int destroyedAnswerers = 0;
extern const ObjectClass kAnswerClass;
const ObjectClass kAnswerClass{
    [] { return static_cast<void*>(new int(0)); },
    nullptr,
    [](std::u16string_view name, uint32_t* kinds) {
      *kinds = InvokeMethod;
      const std::u16string_view names[] = {u"Answer", u"Abcd", u"Abce", u"Abcdefgh8", u"Abcdefgh9"};
      for (int32_t i = 0; i < 5; ++i) {
        if (name == names[i]) return i;
      }
      return -1;
    },
    [](void*, int32_t member, InvokeKind, const Argument* arguments, int32_t count, Variant* result) {
      if (member != 0) {
        result->type = VariantType::Double;
        result->number = member;
        return int32_t{ObjectOk};
      }
      const std::u16string_view said = count == 1 ? arguments[0].text : u"";
      const std::u16string_view rest = said.substr(std::min(said.find(u':'), said.size() - 1) + 1);
      if (said.starts_with(u"bool:")) {
        result->type = VariantType::Boolean;
        result->boolean = rest == u"1";
      } else if (said.starts_with(u"num:")) {
        result->type = VariantType::Double;
        result->number = std::stod(std::string(rest.begin(), rest.end()));
      } else if (said.starts_with(u"text:")) {
        result->type = VariantType::Text;
        result->text = rest;
      } else if (said == u"null") {
        result->type = VariantType::Null;
      } else if (said == u"self") {
        result->type = VariantType::Object;
        result->object = platformObjects().wrap(&kAnswerClass, new int(0));
      } else {
        if (said.starts_with(u"fail:")) {
          result->type = VariantType::Text;
          result->text = rest;
        }
        return int32_t{ObjectInvokeFailed};
      }
      return int32_t{ObjectOk};
    },
    [](void* instance) {
      delete static_cast<int*>(instance);
      ++destroyedAnswerers;
    },
};

// An answer of the type asked for reaches the caller as it is; any other is coerced, and a
// failed call answers the zero value whatever the member had written. The texts of one call
// never show in the next, and an object answer nobody keeps is released there and then.
TEST(ObjectLayer, AnswersAsTheyAreCoercedOrZero) {
  ComScope com;
  objects().registerClass(u"Cellbrae.Answerer", u"{00000000-0000-0000-0000-000000000002}", &kAnswerClass);
  destroyedAnswerers = 0;
  {
    ComObject answerer;
    ASSERT_TRUE(createObject(answerer, "Cellbrae.Answerer"));
    EXPECT_TRUE(callBoolean(answerer, "Answer", "bool:1"));
    EXPECT_EQ(callDouble(answerer, "Answer", "num:-2.5"), -2.5);
    EXPECT_STREQ(callText(answerer, "Answer", "text:a longer text than the next one").c_str(),
                 "a longer text than the next one");
    EXPECT_STREQ(callText(answerer, "Answer", "text:short").c_str(), "short");
    EXPECT_EQ(lastAccessStatus(), ObjectOk);

    // A boolean reads as the text the platform's coercion writes for it ("true" here, "-1"
    // under OLE), and "4,6,4" would be a number to OLE's thousands separator: "a4" is none.
    Variant yes;
    yes.type = VariantType::Boolean;
    yes.boolean = true;
    Variant yesText;
    ASSERT_EQ(objects().changeType(yes, VariantType::Text, &yesText), ObjectOk);
    std::string yesBytes;
    platformCodePage().convertToAnsi(yesText.text, &yesBytes);
    EXPECT_EQ(std::string(callText(answerer, "Answer", "bool:1").view()), yesBytes);
    EXPECT_FALSE(yesBytes.empty());
    EXPECT_STREQ(callText(answerer, "Answer", "num:0.25").c_str(), "0.25");
    EXPECT_TRUE(callBoolean(answerer, "Answer", "text:12"));
    EXPECT_EQ(callDouble(answerer, "Answer", "text:12"), 12);
    EXPECT_FALSE(callBoolean(answerer, "Answer", "text:a4"));
    EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);
    EXPECT_TRUE(callText(answerer, "Answer", "null").isNull());
    EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);
    EXPECT_TRUE(callObject(answerer, "Answer", "text:x").isEmpty());
    EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);

    EXPECT_TRUE(callText(answerer, "Answer", "fail:written before failing").isNull());
    EXPECT_EQ(lastAccessStatus(), ObjectInvokeFailed);
    EXPECT_FALSE(callBoolean(answerer, "Answer", "fail"));
    EXPECT_EQ(lastAccessStatus(), ObjectInvokeFailed);
    EXPECT_TRUE(callText(answerer, "Answer", "text:").isNull()) << "an empty text is no text";
    EXPECT_EQ(lastAccessStatus(), ObjectOk);

    {
      const ComObject other = callObject(answerer, "Answer", "self");
      EXPECT_FALSE(other.isEmpty());
      EXPECT_EQ(callDouble(other, "Abce"), 2);
      EXPECT_EQ(destroyedAnswerers, 0);
    }
    EXPECT_EQ(destroyedAnswerers, 1);
    callMember(answerer, "Answer", "self");
    EXPECT_EQ(lastAccessStatus(), ObjectOk);
    EXPECT_EQ(destroyedAnswerers, 2) << "a dropped object answer is released at once";
    EXPECT_FALSE(callBoolean(answerer, "Answer", "self"));
    EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);
    EXPECT_EQ(destroyedAnswerers, 3);

    // Member names one unit apart, at each place the names are compared a group at a time.
    const char* const names[] = {"Abcd", "Abce", "Abcdefgh8", "Abcdefgh9", "Abcdefgh8", "Abcd", "Abc", "Abcdefgh"};
    const double members[] = {1, 2, 3, 4, 3, 1, 0, 0};
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(callDouble(answerer, names[i]), members[i]) << names[i];
      EXPECT_EQ(lastAccessStatus(), members[i] != 0 ? ObjectOk : ObjectUnknownMember) << names[i];
    }
  }
  EXPECT_EQ(destroyedAnswerers, 4);
  EXPECT_TRUE(objects().revokeClass(u"Cellbrae.Answerer"));
}

Variant coerced(const Variant& from, VariantType to, int32_t expectedStatus = ObjectOk) {
  Variant out;
  EXPECT_EQ(objects().changeType(from, to, &out), expectedStatus);
  return out;
}

Variant textVariant(std::u16string text) {
  Variant value;
  value.type = VariantType::Text;
  value.text = std::move(text);
  return value;
}

Variant numberVariant(double number) {
  Variant value;
  value.type = VariantType::Double;
  value.number = number;
  return value;
}

TEST(ObjectLayer, ResultCoercion) {
  const Variant empty;
  EXPECT_FALSE(coerced(empty, VariantType::Boolean).boolean);
  EXPECT_EQ(coerced(empty, VariantType::Double).number, 0);
  EXPECT_EQ(coerced(empty, VariantType::Text).text, u"");

  EXPECT_TRUE(coerced(numberVariant(-0.5), VariantType::Boolean).boolean);
  EXPECT_FALSE(coerced(numberVariant(0), VariantType::Boolean).boolean);
  EXPECT_EQ(coerced(numberVariant(2), VariantType::Text).text, u"2");
  EXPECT_EQ(coerced(numberVariant(0.1), VariantType::Text).text, u"0.1");

  EXPECT_TRUE(coerced(textVariant(u"True"), VariantType::Boolean).boolean);
  EXPECT_FALSE(coerced(textVariant(u"false"), VariantType::Boolean).boolean);
  EXPECT_TRUE(coerced(textVariant(u" 3 "), VariantType::Boolean).boolean);
  EXPECT_FALSE(coerced(textVariant(u"0"), VariantType::Boolean).boolean);
  EXPECT_FALSE(coerced(textVariant(u"abc"), VariantType::Boolean, ObjectTypeMismatch).boolean);
  EXPECT_FALSE(coerced(textVariant(u""), VariantType::Boolean, ObjectTypeMismatch).boolean);
  EXPECT_EQ(coerced(textVariant(u"12.5"), VariantType::Double).number, 12.5);
  EXPECT_EQ(coerced(textVariant(u"12x"), VariantType::Double, ObjectTypeMismatch).number, 0);
  // Space around a number is no part of it, to a number as to a boolean.
  EXPECT_EQ(coerced(textVariant(u"\t 42\r\n"), VariantType::Double).number, 42);
  EXPECT_EQ(coerced(textVariant(u" 2.5e1 "), VariantType::Double).number, 25);
  EXPECT_EQ(coerced(textVariant(u" 4 2 "), VariantType::Double, ObjectTypeMismatch).number, 0);
  // Whole numbers, read digit by digit up to 15 digits, and past that as any other number.
  EXPECT_EQ(coerced(textVariant(u"100000"), VariantType::Double).number, 100000);
  EXPECT_FALSE(coerced(textVariant(u"000"), VariantType::Boolean).boolean);
  EXPECT_EQ(coerced(textVariant(u"999999999999999"), VariantType::Double).number, 999999999999999.0);
  EXPECT_EQ(coerced(textVariant(u"12345678901234567"), VariantType::Double).number, 12345678901234567.0);

  Variant null;
  null.type = VariantType::Null;
  EXPECT_EQ(coerced(null, VariantType::Text, ObjectTypeMismatch).text, u"");
  EXPECT_EQ(coerced(textVariant(u"x"), VariantType::Object, ObjectTypeMismatch).object, nullptr);
}

// ---- the script control --------------------------------------------------------------

TEST(ScriptControl, GlobalScopeAndCompletionValues) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var x = 1");
  EXPECT_EQ(callDouble(engine, "Eval", "x + 1"), 2);
  callMember(engine, "AddCode", "function twice(v) { return v * 2 } var list = new Array()");
  EXPECT_EQ(evalText(engine, "if (list.length == 0) { list.push(7) } list.push(twice(x))"), "2");
  EXPECT_EQ(evalText(engine, "list.join()"), "7,2");
  EXPECT_EQ(evalText(engine, "var y = 5"), "") << "a declaration has no completion value";
  EXPECT_TRUE(callBoolean(engine, "Eval", "y == 5"));
  EXPECT_TRUE(callBoolean(engine, "Eval", "'true'"));
  EXPECT_FALSE(callBoolean(engine, "Eval", "'yes'"));
  EXPECT_EQ(callDouble(engine, "Eval", "'12'"), 12);
  EXPECT_EQ(evalText(engine, "null"), "");
}

TEST(ScriptControl, FailuresGiveZeroResultsAndFillTheErrorObject) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_FALSE(callBoolean(engine, "Eval", "var a = 1;\nvar b = a +* 2"));
  EXPECT_EQ(lastAccessStatus(), ObjectInvokeFailed);
  ErrorRecord error = lastError(engine);
  EXPECT_TRUE(isCompilationErrorNumber(error.number)) << error.number;
  EXPECT_NE(error.description, "");
  EXPECT_EQ(error.line, 2);

  EXPECT_EQ(callDouble(engine, "Eval", "var o = {};\n\no.p.q"), 0);
  error = lastError(engine);
  EXPECT_TRUE(isRuntimeErrorNumber(error.number)) << error.number;
  EXPECT_NE(error.description, "");
  EXPECT_EQ(error.line, 3);
  EXPECT_TRUE(callText(engine, "Eval", "o.p.q").isNull());
  EXPECT_EQ(callDouble(engine, "Eval", "6 * 7"), 42) << "the engine goes on";
}

// A caller that knows its argument's length passes a view: exactly those bytes are run, never
// what follows them in the caller's buffer, and an empty view is still an argument.
TEST(ScriptControl, KnownLengthArgumentsRunExactlyTheirBytes) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  const std::string_view buffer = "6 * 7 + 1000";
  EXPECT_EQ(callDouble(engine, "Eval", buffer.substr(0, 5)), 42);
  const std::string_view wide = "'序号，' + 'ab'.length; throw 1";
  EXPECT_STREQ(callText(engine, "Eval", wide.substr(0, wide.find(';'))).c_str(), "序号，2");
  EXPECT_EQ(callDouble(engine, "Eval", std::string_view("'序号'.length").substr(0, 3)), 0)
      << "a view that ends inside the literal leaves it open: the text does not compile";
  EXPECT_EQ(lastAccessStatus(), ObjectInvokeFailed);
  callMember(engine, "Eval", std::string_view("var k = 3 + 4").substr(0, 9));
  EXPECT_TRUE(callBoolean(engine, "Eval", std::string_view("k == 3!").substr(0, 6)));
  EXPECT_TRUE(callText(engine, "Eval", std::string_view()).isNull());
  EXPECT_EQ(lastAccessStatus(), ObjectOk) << "an empty view is the empty text, not a missing argument";
  EXPECT_TRUE(callText(engine, "Eval", nullptr).isNull());
  EXPECT_NE(lastAccessStatus(), ObjectOk);
}

// The document escapes and unescapes with one-character patterns; whether the text holds the
// character or not, and whatever the character is, replace answers as the language says.
TEST(ScriptControl, ReplaceWithOneCharacterPatterns) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, R"('12'.replace(/\\/g, 'X') + '|' + 'a\\b\\c'.replace(/\\/g, '/'))"), "12|a/b/c");
  EXPECT_EQ(evalText(engine, "'abc'.replace(/b/g, 'X') + 'abc'.replace(/d/g, 'X') + 'aBc'.replace(/b/gi, 'X')"),
            "aXcabcaXc");
  EXPECT_EQ(evalText(engine, R"('abc'.replace(/./g, '-') + 'a.b'.replace(/\./g, '-') + 'a/b'.replace(/\//g, '-'))"),
            "---a-ba-b");
  EXPECT_EQ(evalText(engine, "'abc'.replace(/b/g, '[$&]') + '序号'.replace(/号/g, 'X') + '序号'.replace(/x/g, 'Y')"),
            "a[b]c序X序号");
}

TEST(ScriptControl, TextsCrossInGbk) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, "'序号' + '，字段名'"), "序号，字段名");
  EXPECT_EQ(callDouble(engine, "Eval", "'序号'.length"), 2) << "a Chinese character is one unit inside";
  EXPECT_EQ(evalText(engine, "'a' + String.fromCharCode(0xD83D, 0xDE00) + 'b'"), "a?b");
  EXPECT_EQ(evalText(engine, "String.fromCharCode(9216)"), "?") << "GBK has no U+2400";
}

TEST(ScriptControl, NumbersAtTheEdgesOfTheIntRange) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  // Shifts wrap to 32 bits, whether folded while compiling or made while running.
  EXPECT_EQ(callDouble(engine, "Eval", "449 << 24"), -1056964608);
  EXPECT_EQ(callDouble(engine, "Eval", "var big = 449, negative = -76; (big << 24) + (negative << 3)"),
            -1056964608 - 608);
  // Numbers that are no array index read nothing.
  EXPECT_EQ(evalText(engine, "var a = [1, 2]; typeof a[0 / 0] + typeof a[1e10] + typeof a[-1] + a[1]"),
            "undefinedundefinedundefined2");
}

// ---- texts evaluated again ---------------------------------------------------------------

TEST(ScriptControlRepeats, ATextRunsAgainstTheStateOfItsRun) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var seen = 'first'");
  EXPECT_EQ(evalText(engine, "seen + '!'"), "first!");
  callMember(engine, "Eval", "seen = 'second'");
  EXPECT_EQ(evalText(engine, "seen + '!'"), "second!");

  // A declaration makes its assignment on every run, and has no completion value.
  EXPECT_EQ(evalText(engine, "var x = 1"), "");
  callMember(engine, "Eval", "x = 5");
  EXPECT_EQ(evalText(engine, "var x = 1"), "");
  EXPECT_EQ(callDouble(engine, "Eval", "x"), 1);

  callMember(engine, "Eval", "var n = 0");
  const char* step = "if (n < 2) { n = n + 1 } else { 'done' }";
  EXPECT_EQ(evalText(engine, step), "1");
  EXPECT_EQ(evalText(engine, step), "2");
  EXPECT_EQ(evalText(engine, step), "done");

  // A function the text declares is made afresh by each run and sees that run's state.
  const char* declares = "function current() { return n * 10 } current()";
  EXPECT_EQ(callDouble(engine, "Eval", declares), 20);
  callMember(engine, "Eval", "current = null; n = 7");
  EXPECT_EQ(callDouble(engine, "Eval", declares), 70);
}

TEST(ScriptControlRepeats, ManyDistinctTextsTwice) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var total = 0");
  // More distinct texts than mujs's control keeps, twice over: every run adds its own number.
  double expected = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 600; ++i) {
      expected += i;
      const std::string text = "total = total + " + std::to_string(i) + "; total";
      ASSERT_EQ(callDouble(engine, "Eval", text.c_str()), expected) << "pass " << pass << ", text " << i;
    }
  }
}

// ---- the script library ------------------------------------------------------------------

TEST(ScriptLibrary, NodeValuesCountsAndNames) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine(true);
  callMember(engine, "Eval", "var tree = {\"a\":\"x\",\"b\":{\"c\":1},\"d\":[true]}");
  EXPECT_EQ(evalText(engine, "var str_all = new Array(); JSON.stringify(get__nodeValue(tree, true))"),
            "[\"x\",1,true]");
  EXPECT_EQ(evalText(engine, "var str_all = new Array(); JSON.stringify(get__nodeValue(tree, false))"),
            "[\"x\"]");

  EXPECT_EQ(callDouble(engine, "Eval", "get__count([1,2,3])"), 3);
  EXPECT_EQ(callDouble(engine, "Eval", "get__count({\"length\":3})"), 0);
  EXPECT_EQ(callDouble(engine, "Eval", "get__count('abc')"), 0);

  EXPECT_EQ(evalText(engine, "get__name_All({\"b\":1,\"a\":2,\"f\":function () {}})"), "b\r\na");
  EXPECT_EQ(evalText(engine, "get__name_All([1])"), "");
  EXPECT_EQ(evalText(engine, "get__name_All({})"), "");
}

TEST(ScriptLibrary, ExtendMerges) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine(true);
  EXPECT_EQ(evalText(engine,
                     "JSON.stringify(get__extend({\"a\":\"x\",\"o\":{\"p\":1}}, {\"a\":\"y\",\"o\":{\"q\":2},\"n\":true}))"),
            "{\"a\":\"y\",\"o\":{\"p\":1,\"q\":2},\"n\":true}");
  EXPECT_EQ(evalText(engine, "JSON.stringify(get__extend([1], [2,3]))"), "[1,2,3]");
  EXPECT_EQ(evalText(engine, "JSON.stringify(get__extend({\"l\":[1]}, {\"l\":[2]}))"), "{\"l\":[1,2]}");
  EXPECT_EQ(evalText(engine, "JSON.stringify(get__extend({\"n\":1}, {\"n\":2}))"), "{\"n\":2}")
      << "a number member is overwritten like a text";
  EXPECT_EQ(evalText(engine, "JSON.stringify(get__extend({\"z\":null}, {\"z\":{\"a\":1}}))"), "");
  EXPECT_NE(lastError(engine).number, 0) << "a member of null is read";
}

TEST(ScriptLibrary, PrototypeMembersEnumerateButNeverSerialise) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine(true);
  EXPECT_EQ(evalText(engine, "var seen = new Array(); for (var k in {}) seen.push(k); seen.join()"),
            "toJSONString,parseJSON");
  EXPECT_EQ(evalText(engine, "JSON.stringify({\"a\":[{}],\"f\":function () {}})"), "{\"a\":[{}]}");
  EXPECT_EQ(evalText(engine, "({\"b\":[1]}).toJSONString()"), "{\"b\":[1]}");
  EXPECT_EQ(callDouble(engine, "Eval", "'{\"n\":4}'.parseJSON().n"), 4);
}

// ---- threads -----------------------------------------------------------------------------

TEST(ScriptControlThreads, CreationFailsOnAnUninitialisedThread) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  bool created = true;
  std::thread([&created] {
    ComObject engine;
    created = createObject(engine, "MSScriptControl.ScriptControl");
  }).join();
  EXPECT_FALSE(created);
}

TEST(ScriptControlThreads, TwoEnginesRunAtOnce) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  auto work = [](int seed, std::string* outcome) {
    ComScope com;
    const ComObject engine = newEngine(true);
    callMember(engine, "Eval", "var da = {\"test\":[]}");
    for (int i = 0; i < 300; ++i) {
      const std::string row = std::to_string(seed * 1000 + i);
      callMember(engine, "Eval", ("da.test.push({\"row\":\"" + row + "\"})").c_str());
    }
    *outcome = evalText(engine, "da.test.length + ':' + da.test[299].row");
  };
  std::string first, second;
  std::thread a(work, 1, &first);
  std::thread b(work, 2, &second);
  a.join();
  b.join();
  EXPECT_EQ(first, "300:1299");
  EXPECT_EQ(second, "300:2299");
}

}  // namespace
