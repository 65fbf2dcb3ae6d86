// The pair runs each text on the control first, as the program would, then on the reference.
// Texts reach the reference in the interpreter's encoding made by the control's own helper,
// so both engines are handed the same bytes.
#include "fuzz/engine_pair.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/mujs/script_text.h"
#include "platform/script_control.h"

const std::u16string& globalsText() {
  // The built-in globals, counted once on a fresh reference engine, are left out.
  static const std::u16string text = [] {
    ReferenceEngine* engine = referenceEngineNew();
    ReferenceOutcome outcome;
    referenceEngineEval(engine, "Object.getOwnPropertyNames(this).length", &outcome);
    const std::string builtIn = std::to_string(static_cast<int>(outcome.number));
    referenceEngineFree(engine);
    return u"(function (g) { var names = Object.getOwnPropertyNames(g).slice(" +
           std::u16string(builtIn.begin(), builtIn.end()) +
           u"), out = []; for (var i = 0; i < names.length; i++) { var v = g[names[i]], s; try { "
           u"s = typeof v == 'function' ? 'function/' + v.length : JSON.stringify(v) } catch (e) { "
           u"s = 'unwritable ' + e.name } out.push(names[i] + ' = ' + s) } return out.join('\\n') })(this)";
  }();
  return text;
}

namespace {

// Process-wide, and made before any pair, so they outlive a pair held in a static (a fuzz
// target's session); the harness runs on one thread.
std::vector<EnginePair*>& livePairs() {
  static std::vector<EnginePair*> pairs;
  return pairs;
}

std::vector<Divergence>& endedDivergences() {
  static std::vector<Divergence> divergences;
  return divergences;
}

int64_t textsInProcess = 0;

struct ControlMembers {
  int32_t language, eval, addCode;
};

const ControlMembers& controlMembers() {
  static const ControlMembers members = [] {
    uint32_t kinds = 0;
    const ObjectClass& control = scriptControlClass();
    return ControlMembers{control.bindMember(u"Language", &kinds), control.bindMember(u"Eval", &kinds),
                          control.bindMember(u"AddCode", &kinds)};
  }();
  return members;
}

Argument textArgument(std::u16string_view text) {
  Argument argument;
  argument.type = VariantType::Text;
  argument.text = text;
  return argument;
}

// Where a fresh pair running `texts` first disagrees; -1 when it never does.
long firstDivergence(const std::vector<PairText>& texts, Divergence* found) {
  EnginePair pair;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!pair.run(texts[i].text, texts[i].eval)) {
      *found = pair.takeDivergence();
      return static_cast<long>(i);
    }
  }
  return -1;
}

}  // namespace

EnginePair::EnginePair() {
  const ObjectClass& control = scriptControlClass();
  control_ = control.create();
  reference_ = referenceEngineNew();
  if (control_ == nullptr || reference_ == nullptr) {
    std::fprintf(stderr, "cannot make the engines of a differential pair\n");
    std::abort();
  }
  const Argument language = textArgument(u"JavaScript");
  Variant ignored;
  control.invoke(control_, controlMembers().language, InvokePropertyPut, &language, 1, &ignored);
  livePairs().push_back(this);
}

EnginePair::~EnginePair() {
  auto& pairs = livePairs();
  pairs.erase(std::find(pairs.begin(), pairs.end(), this));
  if (diverged_ && !reported_) endedDivergences().push_back(std::move(divergence_));
  scriptControlClass().destroy(control_);
  referenceEngineFree(reference_);
}

const std::vector<EnginePair*>& EnginePair::live() { return livePairs(); }

std::vector<Divergence> EnginePair::takeEndedDivergences() { return std::exchange(endedDivergences(), {}); }

int64_t EnginePair::textsRunInProcess() { return textsInProcess; }

bool EnginePair::run(std::u16string_view text, bool eval) {
  const ObjectClass& control = scriptControlClass();
  const Argument argument = textArgument(text);
  controlResult_ = Variant{};
  controlStatus_ = control.invoke(control_, eval ? controlMembers().eval : controlMembers().addCode, InvokeMethod,
                                  &argument, 1, &controlResult_);
  encodeScriptText(text, &encoded_);
  ReferenceOutcome reference;
  referenceEngineEval(reference_, encoded_.c_str(), &reference);
  ++textsRun_;
  ++textsInProcess;
  history_.push_back({std::u16string(text), eval});
  controlOutcome_ = ::controlOutcome(control, control_, controlStatus_, eval ? &controlResult_ : nullptr);
  if (diverged_) return true;
  ScriptOutcome referenceSide = referenceOutcome(reference);
  if (sameOutcome(controlOutcome_, referenceSide, eval)) return true;
  diverged_ = true;
  divergence_ = Divergence{history_, controlOutcome_, std::move(referenceSide)};
  return false;
}

bool EnginePair::compareGlobals() {
  if (textsRun_ == textsAtGlobals_) return !diverged_;
  run(globalsText());
  textsAtGlobals_ = textsRun_;
  return !diverged_;
}

void EnginePair::runOnControlOnly(std::u16string_view text) {
  const Argument argument = textArgument(text);
  Variant ignored;
  scriptControlClass().invoke(control_, controlMembers().eval, InvokeMethod, &argument, 1, &ignored);
  textsAtGlobals_ = -1;
}

std::vector<PairText> shortestFailing(std::vector<PairText> texts,
                                      const std::function<bool(const std::vector<PairText>&)>& stillFails, int tries) {
  size_t chunk = std::max<size_t>(texts.size() / 2, 1);
  while (tries > 0) {
    bool shortened = false;
    // Runs of `chunk` texts, the last text never among them.
    for (size_t start = 0; start + 1 < texts.size() && tries > 0;) {
      const size_t end = std::min(start + chunk, texts.size() - 1);
      std::vector<PairText> fewer;
      fewer.reserve(texts.size() - (end - start));
      fewer.insert(fewer.end(), texts.begin(), texts.begin() + static_cast<long>(start));
      fewer.insert(fewer.end(), texts.begin() + static_cast<long>(end), texts.end());
      --tries;
      if (stillFails(fewer)) {
        texts = std::move(fewer);
        shortened = true;
      } else {
        start = end;
      }
    }
    if (chunk == 1 && !shortened) break;
    if (!shortened || chunk > 1) chunk = std::max<size_t>(chunk / 2, 1);
  }
  return texts;
}

Divergence minimizeDivergence(const Divergence& divergence, int replays) {
  const std::vector<PairText> texts = shortestFailing(
      divergence.texts,
      [](const std::vector<PairText>& fewer) {
        Divergence found;
        return firstDivergence(fewer, &found) == static_cast<long>(fewer.size()) - 1;
      },
      replays);
  Divergence shortest;
  if (firstDivergence(texts, &shortest) < 0) return divergence;  // it no longer replays at all
  return shortest;
}

std::string describeDivergence(const Divergence& divergence) {
  std::string report = "on a fresh pair of engines, run in order:\n";
  for (size_t i = 0; i < divergence.texts.size(); ++i) {
    const PairText& text = divergence.texts[i];
    report += "  [" + std::to_string(i + 1) + "] " + (text.eval ? "Eval " : "AddCode ");
    report += text.text.size() > 600 ? "(" + std::to_string(text.text.size()) + " units) " +
                                           printable(text.text.substr(0, 200)) + " ..."
                                     : printable(text.text);
    report += "\n";
  }
  report += "the last text gives\n  our control: " + describeOutcome(divergence.control) +
            "\n  reference:   " + describeOutcome(divergence.reference) + "\n";
  return report;
}
