#pragma once
// The 16 custom colours that the colour dialog shows and edits; they carry over from one dialog to the next.
#include <array>
#include <cstdint>

namespace hostkit::dialogs {

// Colours are the platform's 0x00BBGGRR words, stored as given.
using Colour = std::uint32_t;
inline constexpr int kCustomColourCount = 16;

// The palette's storage, handed to the dialog as its custom-colour array (all black at load).
std::array<Colour, kCustomColourCount>& CustomColours();

// Index 0 to 15, taken as unsigned so -1 is out of range too; other indices read 0 and write nothing.
int GetCustomColour(int index);
void SetCustomColour(int index, int colour);

}  // namespace hostkit::dialogs
