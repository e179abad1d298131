#include "foundation/assertion.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";
}  // namespace

void TUnitMuz::UnlinkStave(TNoteStave* stave) {
  KV_ASSERT(stave != NULL);
  TNoteStave* prev = stave->GetPrev();
  TNoteStave* next = stave->GetNext();
  if (prev != nullptr) {
    prev->SetNext(next);
  } else {
    KV_ASSERT(StartStave == stave);
    StartStave = next;
  }
  if (next != nullptr) next->SetPrev(prev);
  stave->SetPrev(nullptr);
  stave->SetNext(nullptr);
}
