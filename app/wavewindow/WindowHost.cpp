#include "app/wavewindow/WindowHost.h"

namespace {

WindowHostFinder finder = nullptr;

}  // namespace

void SetWindowHostFinder(WindowHostFinder newFinder) { finder = newFinder; }

WindowHost* FindWindowHost() { return finder ? finder() : nullptr; }
