// A run of the differential fuzzers: random sequences of texts on engine pairs that live for
// many sequences, so the compile cache warms, with every live pair's globals compared after
// each sequence, and fresh pairs every kSequencesPerPair sequences, after a difference
// (whatever followed it would only repeat it) or once their globals have grown large. The
// shape pool outlives the pairs, so a pair meets far more shapes than its cache has slots,
// most of them many times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/cell_store_sequences.h"
#include "fuzz/choice_stream.h"
#include "fuzz/differential_control.h"
#include "fuzz/engine_pair.h"
#include "fuzz/statement_shapes.h"

class DifferentialSession {
 public:
  static constexpr int64_t kSequencesPerPair = 150;
  // Pairs whose globals read longer than this are replaced early too: arrays that a run of
  // pushes has filled would make every comparison cost more than it can find.
  static constexpr size_t kLargestGlobals = 256 * 1024;

  DifferentialSession();
  ~DifferentialSession();
  DifferentialSession(const DifferentialSession&) = delete;
  DifferentialSession& operator=(const DifferentialSession&) = delete;

  // One sequence: general statements on the session's pair (a random walk over the shape
  // pool, or a few shapes in turn), or the cell store's texts through the documents; then
  // the globals of every live pair compared.
  void runSequence(ChoiceStream& choices);

  int64_t sequencesRun() const { return sequences_; }
  // Texts run on both engines so far, the globals comparisons included.
  int64_t textsRun() const { return EnginePair::textsRunInProcess() - textsBefore_; }
  // Every difference found so far, as its pair saw it (its whole history, not cut down).
  const std::vector<Divergence>& divergences() const { return divergences_; }

 private:
  void renew();
  void collectDivergences();

  DifferentialControlScope standIn_;  // before the documents, which make their engines through it
  int64_t textsBefore_ = EnginePair::textsRunInProcess();
  std::unique_ptr<ShapePool> shapes_;
  std::unique_ptr<EnginePair> pair_;
  std::unique_ptr<CellStoreSequences> cellStore_;
  int64_t sequences_ = 0;
  int64_t sequencesOnPairs_ = 0;
  std::vector<Divergence> divergences_;
};
