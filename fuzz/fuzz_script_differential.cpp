// Differential fuzzing of our script control against the reference interpreter: each input
// steers one sequence of texts on engine pairs that live across inputs, as the program's
// engines live across lines. A difference is cut down to the texts that cause it on a fresh
// pair and printed before the run stops; the input alone does not replay it, the texts do.
// Leak checks are off unless asked for: the pairs' histories grow from input to input by
// design, and libFuzzer would otherwise look for a leak after every one of them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/differential_session.h"

namespace {

constexpr int kMinimizingReplays = 3000;

DifferentialSession& session() {
  static DifferentialSession theSession;
  return theSession;
}

void printCount(const char* what) {
  std::fprintf(stderr, "differential: %lld texts in %lld sequences, %s\n",
               static_cast<long long>(session().textsRun()), static_cast<long long>(session().sequencesRun()), what);
}

void printFinalCount() { printCount("no difference"); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  for (char* argument : arguments) {
    if (std::strncmp(argument, "-detect_leaks=", 14) == 0) return 0;
  }
  static char noLeakChecks[] = "-detect_leaks=0";
  arguments.push_back(noLeakChecks);
  arguments.push_back(nullptr);
  *argc = static_cast<int>(arguments.size()) - 1;
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Registered after the session is made, so it runs before the session ends.
  static const bool countAtExit = (session(), std::atexit(printFinalCount) == 0);
  static int64_t countedAt = 0;
  (void)countAtExit;
  ChoiceStream choices(data, size);
  session().runSequence(choices);
  if (session().textsRun() - countedAt >= 1000000) {
    countedAt = session().textsRun();
    printCount("no difference");
  }
  if (session().divergences().empty()) return 0;
  printCount("the engines disagree");
  const Divergence shortest = minimizeDivergence(session().divergences().front(), kMinimizingReplays);
  std::fprintf(stderr, "%s", describeDivergence(shortest).c_str());
  std::abort();
}
