#include "window/mouse_buttons.h"

#include <cstddef>
#include <iterator>

namespace hostkit::window {

int MouseButtonMask(KeyStateFn key_state) noexcept {
  // Virtual keys in the order of their bits in the mask.
  constexpr int kButtonKeys[] = {0x01, 0x02, 0x04, 0x05, 0x06};
  int mask = 0;
  for (std::size_t bit = 0; bit < std::size(kButtonKeys); ++bit)
    if ((static_cast<unsigned short>(key_state(kButtonKeys[bit])) & 0x8000u) != 0) mask |= 1 << bit;
  return mask;
}

}  // namespace hostkit::window
