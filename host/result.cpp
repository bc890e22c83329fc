#include "host/result.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace hostkit::host {
namespace {

LookupFn g_lookup = nullptr;
CreateStringFn g_create_string = nullptr;

// A raw host buffer of the given size (terminator included), or null.
char* RequestBuffer(std::int32_t size) noexcept {
  if (g_create_string == nullptr) return nullptr;
  return reinterpret_cast<char*>(g_create_string(size));
}

}  // namespace

std::intptr_t ReceiveQVRPtr(LookupFn lookup) {
  g_lookup = lookup;
  if (g_lookup == nullptr) {
    // Nothing to ask: the library stays without a create-string function instead of calling null.
    g_create_string = nullptr;
    return 0;
  }
  g_create_string = reinterpret_cast<CreateStringFn>(g_lookup("CREATESTRING_S_L"));
  return g_lookup("DELETESTRING_0_S");
}

bool HasCreateString() noexcept { return g_create_string != nullptr; }

char* EmptyResult() noexcept {
  char* buffer = RequestBuffer(1);
  if (buffer != nullptr) buffer[0] = '\0';
  return buffer;
}

char* FormatResult(const char* format, ...) noexcept {
  if (format == nullptr) return EmptyResult();

  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  // Counting pass: no buffer, size 0, the full length comes back (without the terminator).
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);

  char* buffer = nullptr;
  if (length >= 0 && length < INT32_MAX) {
    buffer = RequestBuffer(static_cast<std::int32_t>(length) + 1);
    if (buffer != nullptr) std::vsnprintf(buffer, static_cast<std::size_t>(length) + 1, format, again);
  }
  va_end(again);
  return buffer != nullptr ? buffer : EmptyResult();
}

char* TextResult(const std::string& text) noexcept {
  // The same result as FormatResult("%s", text), which ends at the first zero byte, without two formatting
  // passes over what may be megabytes of text.
  const std::size_t length = std::min(text.size(), std::strlen(text.c_str()));
  if (length >= INT32_MAX) return EmptyResult();
  char* buffer = RequestBuffer(static_cast<std::int32_t>(length) + 1);
  if (buffer == nullptr) return EmptyResult();
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return buffer;
}

char* FixedResult(const char* bytes, std::int32_t size) noexcept {
  if (size <= 0) return EmptyResult();
  char* buffer = RequestBuffer(size);
  if (buffer == nullptr) return nullptr;
  std::memcpy(buffer, bytes, static_cast<std::size_t>(size) - 1);
  buffer[size - 1] = '\0';
  return buffer;
}

}  // namespace hostkit::host
