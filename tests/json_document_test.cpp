// JsonDocument over a real engine: path resolution, the cell store's records, texts that
// must survive every road in and out (the backslash and injection repairs included), the
// type and count answers, parse errors, a document without engine, and balanced COM counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_document.h"
#include "platform/object_access.h"
#include "tests/script_engine_facts.h"
#include "tests/script_engine_support.h"

namespace {

std::string str(const TextValue& text) { return text.c_str(); }

std::string resolvedPath(JsonDocument& document, const char* path) {
  TextValue text = copyText(path);
  document.resolvePath(text);
  return str(text);
}

std::vector<std::string> texts(const ArrayValue& array) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= array.count(); ++i) out.emplace_back(array.textAt(i) != nullptr ? array.textAt(i) : "");
  return out;
}

// A backslash, both quotes, a carriage return, a line feed and a tab, around Chinese text.
constexpr const char* kAwkward = "c:\\temp 'a' \"b\"\r\n\t序号\\";

TEST(JsonDocumentPaths, ResolvePathRewrites) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  EXPECT_EQ(resolvedPath(document, ""), "da");
  EXPECT_EQ(resolvedPath(document, "[0]"), "da[0]");
  EXPECT_EQ(resolvedPath(document, "row"), "da.row");
  EXPECT_EQ(resolvedPath(document, "test[0].column"), "da.test[0].column");
  EXPECT_EQ(resolvedPath(document, "da.row"), "da.da.row") << "not an existing value yet";
  document.setValue("row", "1");
  EXPECT_EQ(resolvedPath(document, "da.row"), "da.row");
  EXPECT_EQ(resolvedPath(document, "data"), "da.data");
  EXPECT_EQ(resolvedPath(document, "da"), "da");
  EXPECT_TRUE(document.exists("row"));
  EXPECT_FALSE(document.exists("data"));
}

// An evaluation's text is joined from parts of every size (a name, a bracket, an index, a
// caller's expression): each size, from none to past sixteen bytes, must arrive whole and in
// its place.
TEST(JsonDocumentPaths, PartsOfEveryLengthJoinWhole) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  std::string expected = "{";
  for (int size = 0; size <= 20; ++size) {
    const std::string key = "k" + std::string(static_cast<size_t>(size), 'a' + size % 26);
    std::string letters;
    for (int i = 0; i < size; ++i) letters += static_cast<char>('A' + i);
    // The answer is the text assigned, which reads as no boolean: only what was stored is checked.
    document.setValue(key.c_str(), ("'\"" + letters + "\"'").c_str(), true);
    EXPECT_EQ(str(document.getValue(key.c_str())), letters) << size;
    expected += (size == 0 ? "\"" : ",\"") + key + "\":\"" + letters + "\"";
  }
  EXPECT_EQ(str(document.toJson()), expected + "}");
}

TEST(JsonDocumentCellStore, RecordsMakeTheDocumentText) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument cellStore;
  JsonDocument rowRecord;
  const char* columns[] = {"4,6,4", "1,4,4", "1,4,4"};
  for (int line = 1; line <= 3; ++line) {
    if (line >= 2) {
      const std::string path = "test[" + std::to_string(line - 2) + "].column";
      EXPECT_EQ(str(cellStore.getValue(path.c_str())), columns[line - 2]);
    }
    rowRecord.setValue("row", std::to_string(line).c_str());
    rowRecord.setValue("column", columns[line - 1]);
    const TextValue record = rowRecord.toJson();
    if (line == 1) {
      EXPECT_EQ(str(record), R"({"row":"1","column":"4,6,4"})");
    }
    cellStore.append(record.c_str(), "test", true);
  }
  EXPECT_EQ(str(cellStore.toJson()),
            R"({"test":[{"row":"1","column":"4,6,4"},{"row":"2","column":"1,4,4"},{"row":"3","column":"1,4,4"}]})");
  EXPECT_TRUE(str(cellStore.getValue("test[5].column")).empty());
  rowRecord.clear();
  cellStore.clear();
  EXPECT_EQ(str(cellStore.toJson()), "{}");
  EXPECT_EQ(str(rowRecord.toJson()), "{}");
}

TEST(JsonDocumentTexts, PlainTextSurvivesEveryRoad) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  EXPECT_FALSE(document.setValue("v", kAwkward)) << "a text that is no number or boolean word";
  EXPECT_EQ(str(document.getValue("v")), kAwkward);

  const std::string json = str(document.toJson());
  EXPECT_EQ(json, "{\"v\":\"c:\\\\temp 'a' \\\"b\\\"\\r\\n\\t序号\\\\\"}");
  EXPECT_EQ(str(document.getJson("v")), json.substr(5, json.size() - 6));
  EXPECT_EQ(str(document.getValue("v", true)), json.substr(5, json.size() - 6));

  JsonDocument parsed;
  ASSERT_TRUE(parsed.parse(json.c_str()));
  EXPECT_EQ(str(parsed.getValue("v")), kAwkward);
  EXPECT_EQ(str(parsed.toJson()), json);

  JsonDocument whole = document.getDocument("");
  EXPECT_EQ(str(whole.getValue("v")), kAwkward);

  ArrayValue values(ElementType::Text);
  EXPECT_EQ(document.allValues(values, ""), 1);
  EXPECT_EQ(texts(values), std::vector<std::string>{"c:?temp 'a' \"b\"\r\n\t序号?"}) << "the stored form";
}

// GBK characters whose second byte is a backslash or sits next to a quote: the escaping steps
// over a character's second byte and escapes only whole characters.
TEST(JsonDocumentTexts, SecondBytesThatLookLikeEscapesStayPartOfTheirCharacter) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  const std::string text = "\x81\x5c'\x95\x5c\\\xd5\x5c\"\r\n\xb1\x5c";  // 乗'昞\誠"CRLF盶
  document.setValue("v", text.c_str());
  EXPECT_EQ(str(document.getValue("v")), text);
  document.append(text.c_str(), "list");
  EXPECT_EQ(str(document.getElement(0, "list")), text);
}

// A lead byte that no trail byte follows stands alone: the quote, backslash or line break
// after it is escaped like any other, so the text stays data and runs nothing.
TEST(JsonDocumentTexts, LoneLeadBytesCannotEndTheLiteral) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  const char* hostile[] = {"\x81';pwned=1;//", "\xfe\\';pwned=1;//", "\x81\r';pwned=1;//", "\x81\n';pwned=1;//",
                           "\x81\";pwned=1;//"};
  JsonDocument document;
  for (const char* text : hostile) {
    document.setValue("v", text);
    const std::string stored = str(document.getValue("v"));
    ASSERT_GE(stored.size(), 11u);
    EXPECT_EQ(stored.substr(stored.size() - 11), ";pwned=1;//") << "the text after the lone byte is kept";
    EXPECT_TRUE(document.append(text, "list"));
    document.setElement(0, "list", text);
  }
  EXPECT_EQ(document.count("list"), 5);
  EXPECT_EQ(evalText(document.engine(), "typeof pwned"), "undefined");
}

TEST(JsonDocumentTexts, HostileTextsAreStoredAsText) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  const char* hostile[] = {"x'); da = {}; ('", "\\", "'", "a\"b", "line\r\nbreak", "\\'); da = {}; //"};
  JsonDocument document;
  document.setValue("keep", "1");
  for (const char* text : hostile) {
    document.append(text, "list");
    document.append(text, "list", false, true);
  }
  EXPECT_EQ(document.count("list"), 12);
  const int32_t size = std::size(hostile);
  for (int32_t i = 0; i < size; ++i) {
    EXPECT_EQ(str(document.getElement(size + i, "list")), hostile[i]);
    EXPECT_EQ(str(document.getElement(size - 1 - i, "list")), hostile[i]);
  }
  for (int32_t i = 0; i < size; ++i) document.setElement(i, "list", hostile[i]);
  for (int32_t i = 0; i < size; ++i) EXPECT_EQ(str(document.getElement(i, "list")), hostile[i]);
  EXPECT_EQ(str(document.getValue("keep")), "1");
}

TEST(JsonDocumentWrites, AppendSetAndMerge) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  document.setNumber("list", 3);
  EXPECT_TRUE(document.append("x", "list"));
  EXPECT_EQ(str(document.getJson("list")), R"(["x"])");
  document.setValue("front", "[\"a\"]", true);
  document.append("x", "front", false, true);
  EXPECT_EQ(str(document.getJson("front")), R"(["x","a"])");

  EXPECT_FALSE(document.setValue("a.b", "1"));
  EXPECT_FALSE(document.append("x", "a.b"));
  EXPECT_FALSE(document.exists("a"));
  EXPECT_TRUE(document.setValue("a", "1"));

  document.setValue("o", R"({"p":1,"l":[1]})", true);
  document.setValue("o", R"({"q":"x","l":[2]})", true);
  EXPECT_EQ(str(document.getJson("o")), R"({"p":1,"l":[1,2],"q":"x"})");
  document.setValue("o", "", true);
  EXPECT_EQ(str(document.getJson("o")), R"({"p":1,"l":[1,2],"q":"x"})");
  document.setValue("u", "", true);
  EXPECT_FALSE(document.exists("u"));

  EXPECT_TRUE(document.setNumber("n", 2.5));
  EXPECT_EQ(document.getNumber("n"), 2.5);
  EXPECT_TRUE(document.setExpression("e", "'6' * 2"));
  EXPECT_EQ(document.getNumber("e"), 12);
  document.removeElement(0, "front");
  EXPECT_EQ(str(document.getJson("front")), R"(["a"])");
  document.remove("front");
  EXPECT_FALSE(document.exists("front"));
}

TEST(JsonDocumentReads, TypesCountsNamesAndElements) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"({"s":"t","a":[1,true,"x"],"o":{"b":1,"a":2},"n":5,"f":false,"z":null})", true));
  EXPECT_EQ(document.typeOf("s"), 6);
  EXPECT_EQ(document.typeOf("a"), 5);
  EXPECT_EQ(document.typeOf("o"), 4);
  EXPECT_EQ(document.typeOf("n"), 2);
  EXPECT_EQ(document.typeOf("f"), 1);
  EXPECT_EQ(document.typeOf("z"), 0);
  EXPECT_EQ(document.typeOf("missing"), 0);
  EXPECT_EQ(document.typeOf("toJSONString"), -1);
  EXPECT_EQ(document.typeOf("missing.deeper"), -1);

  EXPECT_EQ(document.count("a"), 3);
  EXPECT_EQ(document.count("o"), 0);
  EXPECT_EQ(document.count("s"), 0);

  ArrayValue names(ElementType::Text);
  EXPECT_EQ(document.memberNames(names, "o"), 2);
  EXPECT_EQ(texts(names), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(document.memberNames(names, "a"), 0);
  EXPECT_EQ(names.count(), 0);
  EXPECT_EQ(document.memberNames(names, ""), 6);

  EXPECT_EQ(str(document.getElement(2, "a")), "x");
  EXPECT_EQ(str(document.getElement(1, "a")), "") << "only text elements read without asJson";
  EXPECT_EQ(str(document.getValue("a[1]")), "true");
  EXPECT_EQ(str(document.getElement(1, "a", true)), "true");
  JsonDocument element = document.getElementDocument(1, "a");
  EXPECT_EQ(str(element.toJson()), "true");
  JsonDocument member = document.getDocument("o");
  EXPECT_EQ(str(member.toJson()), R"({"b":1,"a":2})");

  ArrayValue values(ElementType::Text);
  EXPECT_EQ(document.allValues(values, "", true), 8);
  EXPECT_EQ(texts(values), (std::vector<std::string>{"t", "1", "true", "x", "1", "2", "5", "false"}));
  EXPECT_EQ(document.allValues(values, "", false), 3);
}

TEST(JsonDocumentParse, ParseFormsAndErrors) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  JsonDocument document;
  ScriptErrorInfo info;
  info.Number = 99;
  EXPECT_TRUE(document.parse(R"({"a":1})", false, &info));
  EXPECT_EQ(str(document.toJson()), R"({"a":1})");
  EXPECT_EQ(info.Number, 0);
  EXPECT_TRUE(info.Description.isEmpty());
  EXPECT_TRUE(document.parse(R"({"a":1})", true));
  EXPECT_EQ(str(document.toJson()), R"({"a":1})");

  EXPECT_FALSE(document.parse("{\"a\":", false, &info));
  EXPECT_TRUE(isCompilationErrorNumber(info.Number)) << info.Number;
  EXPECT_FALSE(info.Source.isEmpty());
  EXPECT_FALSE(info.Description.isEmpty());
  EXPECT_EQ(info.Line, 1);
  EXPECT_EQ(str(document.toJson()), "null") << "the old document is gone with its engine";
}

TEST(JsonDocumentLifecycle, WithoutAnEngineEverythingIsZero) {
  withdrawScriptControl();
  {
    JsonDocument document;
    EXPECT_TRUE(document.engine().isEmpty());
    EXPECT_FALSE(document.setValue("a", "1"));
    EXPECT_FALSE(document.append("1", "a", true));
    EXPECT_TRUE(document.toJson().isNull());
    EXPECT_TRUE(document.getValue("a").isNull());
    EXPECT_EQ(document.getNumber("a"), 0);
    EXPECT_EQ(document.count("a"), 0);
    EXPECT_EQ(document.typeOf("a"), -1);
    EXPECT_FALSE(document.exists(""));
    EXPECT_FALSE(document.parse("{}"));
    ArrayValue values(ElementType::Text);
    EXPECT_EQ(document.allValues(values, ""), 0);
    EXPECT_EQ(document.memberNames(values, ""), 0);
    EXPECT_TRUE(document.getDocument("").engine().isEmpty());
  }
  restoreScriptControl();
}

TEST(JsonDocumentLifecycle, CopiesShareAnEngineAndComCountsBalance) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  const int32_t before = platformObjects().initializationCount();
  {
    JsonDocument document;
    EXPECT_EQ(platformObjects().initializationCount(), before + 1);
    document.setValue("row", "1");
    JsonDocument twin = document.copy();
    twin.setValue("column", "2");
    EXPECT_EQ(str(document.toJson()), R"({"row":"1","column":"2"})");
    EXPECT_EQ(twin.getEngine().reference(), document.engine().reference());
    twin.destroy();
    EXPECT_EQ(str(document.toJson()), R"({"row":"1","column":"2"})") << "the engine outlives a copy";
    EXPECT_TRUE(twin.toJson().isNull());

    document.parse(R"({"a":{"b":1}})");
    document.parse(R"({"a":{"b":2}})");
    JsonDocument part = document.getDocument("a");
    EXPECT_EQ(str(part.toJson()), R"({"b":2})");
    EXPECT_EQ(platformObjects().initializationCount(), before + 2);
  }
  EXPECT_EQ(platformObjects().initializationCount(), before);
}

}  // namespace
