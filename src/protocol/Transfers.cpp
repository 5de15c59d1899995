#include "protocol/Transfers.h"

namespace keyloom::protocol {

void Transfers::Note(Kind kind, const hid::Report& frame, bool ok) {
  const bool set = kind == Kind::kSet;
  ++(set ? sets_ : gets_);
  if (ok) {
    return;
  }
  ++(set ? failedSets_ : failedGets_);
  if (!firstFailure_) {
    firstFailure_ = Failure{kind, frame};
  }
}

void Transfers::Add(const Transfers& other) {
  sets_ += other.sets_;
  gets_ += other.gets_;
  failedSets_ += other.failedSets_;
  failedGets_ += other.failedGets_;
  if (!firstFailure_) {
    firstFailure_ = other.firstFailure_;
  }
}

void Transfers::Prepend(const Transfers& earlier) {
  Transfers all = earlier;
  all.Add(*this);
  *this = all;
}

}  // namespace keyloom::protocol
