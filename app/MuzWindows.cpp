#include "app/MuzWindows.h"

#include <utility>

namespace {
MuzWindowMaker& Maker() {
  static MuzWindowMaker maker;
  return maker;
}
}  // namespace

void SetMuzWindowMaker(MuzWindowMaker maker) { Maker() = std::move(maker); }

const MuzWindowMaker& GetMuzWindowMaker() { return Maker(); }
