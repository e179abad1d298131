// The music-part tree as the score symbols see it: a single part holds one bar, attached by the
// bar itself. The tree, its symbol lists and its requests grow here with the tree's own work.
#pragma once

#include <memory>

class TMuzBar;

class TSinglePartMuz {
 public:
  TSinglePartMuz();
  ~TSinglePartMuz();
  TSinglePartMuz(const TSinglePartMuz&) = delete;
  TSinglePartMuz& operator=(const TSinglePartMuz&) = delete;

  // Called by the bar's own constructor; the part owns the bar from then on.
  void SetMuzBar(TMuzBar* muzBar);
  TMuzBar* GetMuzBar() const { return MuzBar.get(); }

 private:
  std::unique_ptr<TMuzBar> MuzBar;
};
