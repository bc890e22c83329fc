#pragma once
// The one place where plain values become host values. Each export is one line:
//   int hk_GetCursorX(int space) { return Export<hk_GetCursorX>([&] { return window::CursorX(space); }); }
// The export names itself, so its result type and failure value come from its row in commands.table (a function
// missing from the table does not compile); the body answers a plain value, which is turned into the host's.
#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <type_traits>

#include "host/boundary.h"
#include "host/result.h"

namespace hostkit::exports {

// A file or folder operation that fails by throwing answers the platform's code for an unspecific failure.
inline constexpr int kStatusFailure = ERROR_GEN_FAILURE;

// The row of an exported function in commands.table: `failure` for int results.
template <auto Function>
struct Row;

}  // namespace hostkit::exports

#include "exports/export_decls.h"

namespace hostkit::exports {

inline char* ToHost(const std::string& text) noexcept { return host::TextResult(text); }
// A body that made the host value itself (it must know whether the host took it).
inline char* ToHost(char* result) noexcept { return result; }
template <std::size_t N>
char* ToHost(const std::array<char, N>& text) noexcept {
  return host::FixedResult(text);
}

template <class Signature>
struct ResultOf;
template <class R, class... A>
struct ResultOf<R (*)(A...)> {
  using type = R;
};

// Runs an export's body behind the guard. A string command without the host's create-string function does
// nothing and answers null; a string command that throws answers "".
template <auto Function, class Body>
auto Export(Body&& body) noexcept -> typename ResultOf<decltype(Function)>::type {
  using Answer = typename ResultOf<decltype(Function)>::type;
  using ThisRow = Row<Function>;
  static_assert(sizeof(ThisRow) > 0, "every export has its row in commands.table");
  if constexpr (std::is_void_v<Answer>) {
    Guard(std::forward<Body>(body));
  } else if constexpr (std::is_same_v<Answer, char*>) {
    if (!host::HasCreateString()) return nullptr;
    return Guard([&] { return ToHost(std::forward<Body>(body)()); }, [] { return host::EmptyResult(); });
  } else {
    return Guard([&]() -> Answer { return std::forward<Body>(body)(); }, ThisRow::failure);
  }
}

}  // namespace hostkit::exports
