// The system's script control under the system's COM: its language is older than ES5 until
// the library arrives, its error numbers are the language's own codes, VariantChangeType
// decides how answers read, and workers one after another each get a working engine.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/script_engine_support.h"

namespace {

const ObjectSystem& objects() { return platformObjects(); }

// The language's own code of an error number: Windows gives it as it is, Wine inside an
// HRESULT of the control facility (1002 as 0x800A03EA).
int32_t scriptCode(int32_t number) {
  const auto bits = static_cast<uint32_t>(number);
  return (bits & 0xFFFF0000u) == 0x800A0000u ? static_cast<int32_t>(bits & 0xFFFFu) : number;
}

TEST(OleScriptControl, TheLibraryBringsWhatTheLanguageLacks) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, "typeof JSON + typeof [].forEach + typeof Object.keys"),
            "undefinedundefinedundefined");
  callMember(engine, "AddCode", scriptLibrary());
  EXPECT_EQ(evalText(engine, "typeof JSON.stringify + typeof JSON.parse"), "functionfunction");
  EXPECT_EQ(evalText(engine, "JSON.stringify({\"序号\":[1,'a\\\\b',null]})"), "{\"序号\":[1,\"a\\\\b\",null]}");
}

TEST(OleScriptControl, BothSystemLanguagesAnswer) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  ComObject engine;
  ASSERT_TRUE(createObject(engine, "MSScriptControl.ScriptControl"));
  EXPECT_TRUE(putText(engine, "Language", "VBScript"));
  EXPECT_EQ(callDouble(engine, "Eval", "2 ^ 3"), 8) << "VBScript's power operator";
  EXPECT_TRUE(putText(engine, "Language", "JavaScript"));
  EXPECT_EQ(callDouble(engine, "Eval", "2 ^ 3"), 1) << "JScript's exclusive or";
}

TEST(OleScriptControl, ErrorNumbersAreTheLanguagesCodes) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_FALSE(callBoolean(engine, "Eval", "var a = 1;\nvar b = a +* 2"));
  ErrorRecord error = lastError(engine);
  EXPECT_EQ(scriptCode(error.number), 1002) << "syntax error";
  EXPECT_EQ(error.text, "var b = a +* 2");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.column, 11);

  EXPECT_EQ(callDouble(engine, "Eval", "var o = {};\n\no.p.q"), 0);
  error = lastError(engine);
  EXPECT_EQ(scriptCode(error.number), 5007) << "object expected";
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.text, "");
}

// How VariantChangeType, with no flags, reads the answers our own coercion reads otherwise.
TEST(OleScriptControl, AnswersReadAsTheSystemCoercesThem) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  EXPECT_EQ(evalText(engine, "1 == 1"), "-1") << "a boolean reads as a number, not as a word";
  EXPECT_EQ(evalText(engine, "1 == 2"), "0");
  EXPECT_EQ(evalText(engine, "0.1 + 0.2"), "0.3") << "fifteen significant digits";
  EXPECT_EQ(evalText(engine, "1e21"), "1E+21");
  EXPECT_EQ(evalText(engine, "var list = [7, 2]; list"), "7,2") << "an object reads as its default value";
  EXPECT_TRUE(callBoolean(engine, "Eval", "list"));
  EXPECT_EQ(callDouble(engine, "Eval", "[5]"), 5);

  EXPECT_EQ(evalText(engine, "undefined"), "");
  EXPECT_EQ(lastAccessStatus(), ObjectOk);
  EXPECT_FALSE(callBoolean(engine, "Eval", "null"));
  EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);
  EXPECT_EQ(callDouble(engine, "Eval", "'&H10'"), 16) << "a text reads as a number the way VBA reads one";
  EXPECT_EQ(callDouble(engine, "Eval", "'0x10'"), 0);
  EXPECT_EQ(lastAccessStatus(), ObjectTypeMismatch);
}

TEST(OleScriptControl, InitialisationOfTheMainThreadAndAWorkerOnOneThread) {
  std::thread([] {
    EXPECT_EQ(objects().initializeMainThread(), 0);
    EXPECT_EQ(objects().initialize(), 1) << "the thread is in its single-threaded apartment already";
    EXPECT_EQ(objects().initializationCount(), 2);
    objects().uninitialize();
    objects().uninitialize();
    EXPECT_EQ(objects().initializationCount(), 0);
    // Had either call left the system's count behind, this would not be a first initialisation.
    EXPECT_EQ(objects().initialize(), 0);
    objects().uninitialize();
  }).join();
}

size_t residentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

// Wine's control keeps all it compiled for an Eval, about four times its text's length and
// after the engine has ended too: these thousand texts would hold 88 MB. The control the
// program makes gives back each text's share when it has run, under Wine and Windows alike.
TEST(OleScriptControl, AnEvaluationGivesBackWhatItCompiled) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const std::string text = "'" + std::string(19998, 'a') + "'.length";
  size_t before = 0;
  for (int round = 0; round < 2; ++round) {
    // The first round leaves the engine and the heap warm; the second must cost nothing.
    if (round == 1) before = residentBytes();
    const ComObject engine = newEngine();
    for (int i = 0; i < 500; ++i) ASSERT_EQ(callDouble(engine, "Eval", text.c_str()), 19998);
  }
  EXPECT_LT(residentBytes() - before, size_t{8} << 20);
}

// Setting the language again starts a new engine under the control: an Eval after it runs
// there, not in the engine the texts before it ran in; VBScript's texts reach its own Eval.
TEST(OleScriptControl, AnEvalRunsInTheEngineTheLanguageLastStarted) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  ComScope com;
  const ComObject engine = newEngine();
  callMember(engine, "Eval", "var before = 1");
  EXPECT_EQ(evalText(engine, "typeof before"), "number");
  EXPECT_TRUE(putText(engine, "Language", "JavaScript"));
  EXPECT_EQ(evalText(engine, "typeof before"), "undefined");
  EXPECT_TRUE(putText(engine, "Language", "VBScript"));
  EXPECT_EQ(evalText(engine, "TypeName(Empty)"), "Empty");
  EXPECT_TRUE(putText(engine, "Language", "JScript"));
  EXPECT_EQ(evalText(engine, "var x = 2; x * 3"), "6");
}

// Waits for worker to end while serving the calls COM hands to this single-threaded
// apartment, as the program's message loop does.
void joinPumping(std::thread& worker, const std::atomic<bool>& done) {
  while (!done.load()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  worker.join();
}

// The program's shape: an OLE main thread that pumps, and one worker per press, each ending
// before the next starts. Each worker makes its engines in an apartment of its own, which
// ends with it; nothing of the first may be needed by the second (no apartment kept alive),
// and the members bound for the first worker's engine are not used for the next.
TEST(OleScriptControl, WorkersOneAfterAnotherEachMakeAnEngine) {
  SKIP_WITHOUT_SCRIPT_CONTROL();
  std::thread([] {
    ASSERT_EQ(objects().initializeMainThread(), 0);
    for (int press = 1; press <= 3; ++press) {
      std::string answer;
      std::atomic<bool> done{false};
      std::thread worker([&answer, &done, press] {
        {
          ComScope com;
          ComObject engine;
          if (createObject(engine, "MSScriptControl.ScriptControl")) {
            putText(engine, "Language", "JavaScript");
            answer = evalText(engine, ("'press ' + " + std::to_string(press)).c_str());
          }
        }
        done = true;
      });
      joinPumping(worker, done);
      EXPECT_EQ(answer, "press " + std::to_string(press));
    }
    objects().uninitialize();
  }).join();
}

}  // namespace
