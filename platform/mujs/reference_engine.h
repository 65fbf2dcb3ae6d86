/* The reference interpreter the differential test and fuzzer hold our script control against:
 * mujs 1.3.2 with only the patches that change what a script does, running a text as global
 * code the way the control does. Its symbols are local to one object but these three. */
#ifndef CELLBRAE_REFERENCE_ENGINE_H
#define CELLBRAE_REFERENCE_ENGINE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ReferenceEngine ReferenceEngine;

typedef enum ReferenceValueType {
  kReferenceUndefined,
  kReferenceNull, /* null, and any object or function: they have no value outside */
  kReferenceBoolean,
  kReferenceNumber,
  kReferenceString
} ReferenceValueType;

/* What one text did. Texts are in the interpreter's encoding and stay valid until the next
 * evaluation on the same engine. */
typedef struct ReferenceOutcome {
  int succeeded;
  /* On success, the completion value. */
  ReferenceValueType type;
  int boolean;
  double number;
  const char *text; /* kReferenceString only */
  /* On failure: whether the text did not compile, and what was thrown. An Error object gives
   * its name, message and stack trace; any other value its text as the message. When reading
   * it throws again, what was read before stays. */
  int compiling;
  int thrownIsError;
  const char *errorName;
  const char *errorMessage;
  const char *errorTrace;
} ReferenceOutcome;

/* A new engine with an empty global object; null when out of memory. */
ReferenceEngine *referenceEngineNew(void);
/* Ends the engine; null is ignored. */
void referenceEngineFree(ReferenceEngine *engine);
/* Compiles `code` as global code under the file name "script" and runs it with this
 * undefined; fills *outcome and returns outcome->succeeded. */
int referenceEngineEval(ReferenceEngine *engine, const char *code, ReferenceOutcome *outcome);

#ifdef __cplusplus
}
#endif

#endif
