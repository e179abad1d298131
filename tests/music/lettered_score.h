// Singles A (a whole note), B (a half) and C (a quarter), labelled by their letters, from which
// the tree-edit tests build their trees.
#pragma once

#include "tests/music/score_builder.h"

struct LetteredScore : ScoreBuilder {
  TSinglePartMuz* A = Named("A", 1);
  TSinglePartMuz* B = Named("B", 2);
  TSinglePartMuz* C = Named("C", 4);
  TSinglePartMuz* Named(const char* label, int8_t kind) {
    TSinglePartMuz* single = Single({{0.0, kind}});
    single->SetLabel(label);
    return single;
  }
  // Roots the tree and frees the singles it left out.
  TPartMuz* Plant(TPartMuz* top) {
    TPartMuz* root = Root(top);
    for (TSinglePartMuz* single : {A, B, C})
      if (single->GetParent() == nullptr) delete single;
    return root;
  }
};
