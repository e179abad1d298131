// Assertion traps for programming errors: they name the expression, the source unit and the line.
// User input must never reach one; the handler is replaceable so tests can see a trap fire.
#pragma once

#include <stdexcept>
#include <string>

using AssertHandler = void (*)(const char* expression, const char* unit, int line);

// Installs a handler and returns the previous one. A handler that returns is followed by abort().
AssertHandler SetAssertHandler(AssertHandler handler);

[[noreturn]] void AssertFailed(const char* expression, const char* unit, int line);

// Thrown by ThrowingAssertHandler, which tests install to check that a trap fires.
class AssertionFailure : public std::logic_error {
 public:
  AssertionFailure(std::string expression, std::string unit, int line);
  std::string expression;
  std::string unit;
  int line;
};
void ThrowingAssertHandler(const char* expression, const char* unit, int line);

// Every source file that asserts defines `kAssertUnit`, the name its traps report.
#define KV_ASSERT(expr) ((expr) ? static_cast<void>(0) : ::AssertFailed(#expr, kAssertUnit, __LINE__))
