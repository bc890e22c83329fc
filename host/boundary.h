#pragma once
// The edge between the host and the library: nothing thrown inside a command may reach the host's frames.
#include "host/result.h"

#include <utility>

namespace hostkit {

// A null string argument reads as the empty string.
inline const char* Arg(const char* text) noexcept { return text != nullptr ? text : ""; }

// Runs an int command; any exception becomes the command's failure value.
template <class Body>
int GuardInt(int failure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failure;
  }
}

// Runs a command without a result; any exception is swallowed.
template <class Body>
void GuardVoid(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
  }
}

// Runs a string command. Without a create-string function it does nothing and answers null;
// any exception becomes the empty result.
template <class Body>
char* GuardString(Body&& body) noexcept {
  if (!host::HasCreateString()) return nullptr;
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return host::EmptyResult();
  }
}

}  // namespace hostkit
