#include "music/PartMuz.h"

#include "foundation/assertion.h"
#include "music/muznote.h"

namespace {
constexpr const char* kAssertUnit = "PartMuz";
}  // namespace

TSinglePartMuz::TSinglePartMuz() = default;
TSinglePartMuz::~TSinglePartMuz() = default;

void TSinglePartMuz::SetMuzBar(TMuzBar* muzBar) {
  KV_ASSERT(muzBar != NULL);
  KV_ASSERT(MuzBar == NULL);
  KV_ASSERT(muzBar->GetSinglePartMuz() == this);
  MuzBar.reset(muzBar);
}
