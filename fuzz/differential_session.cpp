// The mix of sequences: mostly general statements, since they reach the most of the
// interpreter, and a third the cell store's own texts, since those are what the program sends.
#include "fuzz/differential_session.h"

DifferentialSession::DifferentialSession() : shapes_(std::make_unique<ShapePool>()) {
  EnginePair::takeEndedDivergences();  // the session's own start here
  renew();
}

DifferentialSession::~DifferentialSession() {
  cellStore_.reset();
  pair_.reset();
}

void DifferentialSession::renew() {
  cellStore_.reset();
  pair_.reset();
  collectDivergences();
  pair_ = std::make_unique<EnginePair>();
  pair_->run(kShapesPrelude);
  cellStore_ = std::make_unique<CellStoreSequences>();
  sequencesOnPairs_ = 0;
}

void DifferentialSession::collectDivergences() {
  for (Divergence& divergence : EnginePair::takeEndedDivergences()) divergences_.push_back(std::move(divergence));
}

void DifferentialSession::runSequence(ChoiceStream& choices) {
  switch (choices.below(12)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: {
      const int texts = choices.between(4, 16);
      for (int i = 0; i < texts; ++i) pair_->run(shapes_->nextText(choices));
      break;
    }
    case 5:
    case 6:
    case 7: {
      const std::vector<size_t> shapes = shapes_->pickShapes(choices, static_cast<size_t>(choices.between(2, 5)));
      const int rounds = choices.between(2, 6);
      for (int round = 0; round < rounds; ++round) {
        for (size_t shape : shapes) pair_->run(shapes_->textOf(shape, choices, choices.oneIn(4)));
      }
      break;
    }
    case 8:
    case 9:
    case 10: cellStore_->tableRun(choices); break;
    default: cellStore_->documentOperations(choices); break;
  }
  ++sequences_;
  bool diverged = false;
  bool grown = false;
  for (EnginePair* pair : EnginePair::live()) {
    diverged |= !pair->compareGlobals();
    grown |= pair->controlResult().text.size() > kLargestGlobals;
  }
  if (diverged || grown || ++sequencesOnPairs_ >= kSequencesPerPair) renew();
}
