#include "foundation/assertion.h"

#include <cstdio>
#include <cstdlib>

namespace {

void DefaultAssertHandler(const char* expression, const char* unit, int line) {
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, unit, line);
}

AssertHandler currentHandler = DefaultAssertHandler;

}  // namespace

AssertHandler SetAssertHandler(AssertHandler handler) {
  AssertHandler previous = currentHandler;
  currentHandler = handler ? handler : DefaultAssertHandler;
  return previous;
}

void AssertFailed(const char* expression, const char* unit, int line) {
  currentHandler(expression, unit, line);
  std::abort();
}

AssertionFailure::AssertionFailure(std::string expr, std::string u, int l)
    : std::logic_error("Assertion failed: " + expr + ", file " + u + ", line " + std::to_string(l)),
      expression(std::move(expr)),
      unit(std::move(u)),
      line(l) {}

void ThrowingAssertHandler(const char* expression, const char* unit, int line) {
  throw AssertionFailure(expression, unit, line);
}
