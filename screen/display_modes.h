#pragma once
// The display modes of a monitor as scripts read them.
#include <string>
#include <vector>

namespace hostkit::screen {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int hz = 0;
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// "WIDTHxHEIGHT@HZ" for each mode once, joined by "|", largest first: more pixels first, then the wider, then the
// faster. The system lists a mode once per colour depth (and per scaling and interlacing), so the same text comes
// several times; modes without a size are left out.
std::string FormatModes(std::vector<DisplayMode> modes);

}  // namespace hostkit::screen
