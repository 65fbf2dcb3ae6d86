// Differential fuzzing of our script control against the reference interpreter: each input
// steers one sequence of texts on engine pairs that live across inputs, as the program's
// engines live across lines. A difference is cut down to the texts that cause it on a fresh
// pair and printed before the run stops; the input alone does not replay it, the texts do.
#include <cstdio>
#include <cstdlib>

#include "fuzz/differential_session.h"

namespace {

constexpr int kMinimizingReplays = 3000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static DifferentialSession session;
  static int64_t reportedAt = 0;
  ChoiceStream choices(data, size);
  session.runSequence(choices);
  if (session.textsRun() - reportedAt >= 1000000) {
    reportedAt = session.textsRun();
    std::fprintf(stderr, "differential: %lld texts in %lld sequences, no difference\n",
                 static_cast<long long>(session.textsRun()), static_cast<long long>(session.sequencesRun()));
  }
  if (session.divergences().empty()) return 0;
  std::fprintf(stderr, "differential: the engines disagree after %lld texts in %lld sequences\n",
               static_cast<long long>(session.textsRun()), static_cast<long long>(session.sequencesRun()));
  const Divergence shortest = minimizeDivergence(session.divergences().front(), kMinimizingReplays);
  std::fprintf(stderr, "%s", describeDivergence(shortest).c_str());
  std::abort();
}
