// Two engines fed the same texts: the program's own script control, reached through its class
// table as the object layer reaches it (all our patches and the compile cache in the path),
// and the reference interpreter. Each pair keeps every text it ran, so a difference can be
// replayed on a fresh pair and cut down to the texts that cause it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/script_outcome.h"
#include "platform/mujs/reference_engine.h"
#include "platform/object_access.h"

struct PairText {
  std::u16string text;
  bool eval = true;  // "Eval"; false: "AddCode"
};

struct Divergence {
  std::vector<PairText> texts;  // what the pair ran, from its start, the diverging text last
  ScriptOutcome control;
  ScriptOutcome reference;
};

// Collects the names and values of the global object's own members, one per line, the same
// way on both engines: all but the built-in ones, which come first in the insertion order, and
// those not enumerable too, since mujs makes a declared variable not enumerable.
const std::u16string& globalsText();

class EnginePair {
 public:
  EnginePair();
  ~EnginePair();
  EnginePair(const EnginePair&) = delete;
  EnginePair& operator=(const EnginePair&) = delete;

  // Runs text on both engines, as "Eval" or "AddCode"; false when they disagree, which is
  // kept as the pair's divergence. A pair that has diverged goes on running texts on both
  // engines but compares no more: what follows would only repeat the first difference.
  bool run(std::u16string_view text, bool eval = true);
  // Runs globalsText() on both engines, unless they have run nothing since it last ran.
  bool compareGlobals();

  // The control's own answer to the last text, for a caller that stands in for it, and what
  // it made of it.
  int32_t controlStatus() const { return controlStatus_; }
  const ScriptOutcome& controlOutcome() const { return controlOutcome_; }
  const Variant& controlResult() const { return controlResult_; }
  void* controlInstance() const { return control_; }

  bool diverged() const { return diverged_; }
  const Divergence& divergence() const { return divergence_; }
  // Hands the divergence over: the pair will not report it when it ends.
  Divergence takeDivergence() {
    reported_ = true;
    return std::move(divergence_);
  }
  int64_t textsRun() const { return textsRun_; }

  // Runs text on the control alone, leaving the engines out of step on purpose: the harness's
  // own tests need a pair whose engines disagree.
  void runOnControlOnly(std::u16string_view text);

  // The pairs alive, oldest first (each engine a document makes is one). Pairs are made and
  // used on one thread, as each interpreter is.
  static const std::vector<EnginePair*>& live();
  // The divergences of pairs that ended since the last call, taken out.
  static std::vector<Divergence> takeEndedDivergences();
  // Texts run by all pairs so far.
  static int64_t textsRunInProcess();

 private:
  void* control_ = nullptr;
  ReferenceEngine* reference_ = nullptr;
  int32_t controlStatus_ = 0;
  Variant controlResult_;
  ScriptOutcome controlOutcome_;
  std::string encoded_;  // the text in the interpreter's encoding; reused
  std::vector<PairText> history_;
  bool diverged_ = false;
  bool reported_ = false;  // the divergence was handed over already
  Divergence divergence_;
  int64_t textsRun_ = 0;
  int64_t textsAtGlobals_ = -1;  // textsRun_ just after the last globals comparison
};

// Cuts `texts` down to the fewest (the last always kept) for which stillFails holds, taking
// out ever smaller runs of texts; stops after `tries` calls and gives the shortest by then.
std::vector<PairText> shortestFailing(std::vector<PairText> texts,
                                      const std::function<bool(const std::vector<PairText>&)>& stillFails, int tries);

// Cuts `divergence` down to the fewest texts (its last always kept) that still make a fresh
// pair disagree at the last one, taking out ever smaller runs of texts; stops after `replays`
// replays and gives the shortest found by then.
Divergence minimizeDivergence(const Divergence& divergence, int replays);

// The divergence as a report: the texts to run on a fresh pair, then both outcomes.
std::string describeDivergence(const Divergence& divergence);
