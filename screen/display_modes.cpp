#include "screen/display_modes.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace hostkit::screen {

std::string FormatModes(std::vector<DisplayMode> modes) {
  std::erase_if(modes, [](const DisplayMode& m) { return m.width <= 0 || m.height <= 0; });
  const auto key = [](const DisplayMode& m) {
    return std::make_tuple(std::int64_t{m.width} * m.height, m.width, m.hz);
  };
  std::sort(modes.begin(), modes.end(), [&](const DisplayMode& a, const DisplayMode& b) { return key(a) > key(b); });
  modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
  std::string text;
  for (const DisplayMode& m : modes) {
    if (!text.empty()) text += '|';
    text += std::to_string(m.width) + 'x' + std::to_string(m.height) + '@' + std::to_string(m.hz);
  }
  return text;
}

}  // namespace hostkit::screen
