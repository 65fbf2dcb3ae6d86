/* The reference interpreter's one way in: a text run as global code exactly as
 * script_control_mujs.cpp runs it (js_ploadstring, then js_pcall with this undefined), the
 * thrown value read inside a protected call as the control reads it, and every text handed
 * out copied into the engine's own buffers before the interpreter may collect it. */
#include "reference_engine.h"

#include <mujs.h>
#include <stdlib.h>
#include <string.h>

typedef struct Text {
  char *bytes;
  size_t capacity;
} Text;

struct ReferenceEngine {
  js_State *state;
  Text value, name, message, trace;
  int thrownIsError;
};

static const char kFileName[] = "script";
static const char kReadThrownKey[] = "cellbrae.readThrown";

/* Copies `from` into `to`, which keeps its block for the next text; "" when out of memory. */
static void keepText(Text *to, const char *from) {
  const size_t size = strlen(from) + 1;
  if (size > to->capacity) {
    char *grown = realloc(to->bytes, size);
    if (grown == NULL) {
      if (to->bytes != NULL) to->bytes[0] = 0;
      return;
    }
    to->bytes = grown;
    to->capacity = size;
  }
  memcpy(to->bytes, from, size);
}

static const char *textOf(const Text *text) { return text->bytes != NULL ? text->bytes : ""; }

/* Called through js_pcall with the thrown value as its argument: its getters and toString may
 * throw again, and the interpreter unwinds by longjmp, so each text is kept only once read. */
static void readThrownValue(js_State *state) {
  ReferenceEngine *engine = js_getcontext(state);
  engine->thrownIsError = js_iserror(state, 1);
  if (!engine->thrownIsError) {
    keepText(&engine->message, js_tostring(state, 1));
  } else {
    js_getproperty(state, 1, "name");
    keepText(&engine->name, js_tostring(state, -1));
    js_pop(state, 1);
    js_getproperty(state, 1, "message");
    keepText(&engine->message, js_tostring(state, -1));
    js_pop(state, 1);
    js_getproperty(state, 1, "stackTrace");
    if (js_isstring(state, -1)) keepText(&engine->trace, js_tostring(state, -1));
    js_pop(state, 1);
  }
  js_pushundefined(state);
}

/* Reads the value on top of the stack (and pops it) as the failure of the text. */
static void takeFailure(ReferenceEngine *engine, int compiling, ReferenceOutcome *outcome) {
  js_State *state = engine->state;
  engine->thrownIsError = 0;
  keepText(&engine->name, "");
  keepText(&engine->message, "");
  keepText(&engine->trace, "");
  js_getregistry(state, kReadThrownKey);
  js_pushundefined(state);
  js_copy(state, -3);
  js_pcall(state, 1);
  js_pop(state, 2);
  outcome->succeeded = 0;
  outcome->compiling = compiling;
  outcome->thrownIsError = engine->thrownIsError;
  outcome->errorName = textOf(&engine->name);
  outcome->errorMessage = textOf(&engine->message);
  outcome->errorTrace = textOf(&engine->trace);
}

/* Reads the value on top of the stack (and pops it) as the completion value. */
static void takeResult(ReferenceEngine *engine, ReferenceOutcome *outcome) {
  js_State *state = engine->state;
  outcome->succeeded = 1;
  if (js_isundefined(state, -1)) {
    outcome->type = kReferenceUndefined;
  } else if (js_isboolean(state, -1)) {
    outcome->type = kReferenceBoolean;
    outcome->boolean = js_toboolean(state, -1) != 0;
  } else if (js_isnumber(state, -1)) {
    outcome->type = kReferenceNumber;
    outcome->number = js_tonumber(state, -1);
  } else if (js_isstring(state, -1)) {
    outcome->type = kReferenceString;
    keepText(&engine->value, js_tostring(state, -1));
    outcome->text = textOf(&engine->value);
  } else {
    outcome->type = kReferenceNull;
  }
  js_pop(state, 1);
}

static void ignoreReport(js_State *state, const char *message) {
  (void)state;
  (void)message;
}

ReferenceEngine *referenceEngineNew(void) {
  ReferenceEngine *engine = calloc(1, sizeof *engine);
  if (engine == NULL) return NULL;
  engine->state = js_newstate(NULL, NULL, 0);
  if (engine->state == NULL) {
    free(engine);
    return NULL;
  }
  js_setcontext(engine->state, engine);
  js_setreport(engine->state, ignoreReport);
  js_newcfunction(engine->state, readThrownValue, "readThrownValue", 1);
  js_setregistry(engine->state, kReadThrownKey);
  return engine;
}

void referenceEngineFree(ReferenceEngine *engine) {
  if (engine == NULL) return;
  js_freestate(engine->state);
  free(engine->value.bytes);
  free(engine->name.bytes);
  free(engine->message.bytes);
  free(engine->trace.bytes);
  free(engine);
}

int referenceEngineEval(ReferenceEngine *engine, const char *code, ReferenceOutcome *outcome) {
  js_State *state = engine->state;
  memset(outcome, 0, sizeof *outcome);
  if (js_ploadstring(state, kFileName, code) != 0) {
    takeFailure(engine, 1, outcome);
    return 0;
  }
  js_pushundefined(state);
  if (js_pcall(state, 0) != 0) {
    takeFailure(engine, 0, outcome);
    return 0;
  }
  takeResult(engine, outcome);
  return 1;
}
