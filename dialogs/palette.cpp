#include "dialogs/palette.h"

namespace hostkit::dialogs {
namespace {

std::array<Colour, kCustomColourCount> g_colours{};

bool InRange(int index) { return static_cast<std::uint32_t>(index) < kCustomColourCount; }

}  // namespace

std::array<Colour, kCustomColourCount>& CustomColours() { return g_colours; }

int GetCustomColour(int index) {
  return InRange(index) ? static_cast<int>(g_colours[static_cast<std::size_t>(index)]) : 0;
}

void SetCustomColour(int index, int colour) {
  if (InRange(index)) g_colours[static_cast<std::size_t>(index)] = static_cast<Colour>(colour);
}

}  // namespace hostkit::dialogs
