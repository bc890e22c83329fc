#include "attention/attention_values.h"

#include <algorithm>
#include <iterator>

namespace hostkit::attention {

Flash FlashFor(int times) {
  if (times < 0) return {kFlashStop, 0};
  if (times == 0) return {kFlashAll | kFlashUntilFront, 0};
  return {kFlashAll, static_cast<unsigned>(times)};
}

std::optional<Progress> ProgressFor(int state, int permille) {
  constexpr int kStates[] = {kProgressNone, kProgressNormal, kProgressPaused, kProgressError, kProgressIndeterminate};
  if (state < 0 || state >= static_cast<int>(std::size(kStates))) return std::nullopt;
  const int flag = kStates[state];
  const bool with_value = flag == kProgressNormal || flag == kProgressPaused || flag == kProgressError;
  return Progress{flag, with_value, std::clamp(permille, 0, 1000)};
}

std::optional<unsigned> BalloonFlagsFor(int flags) {
  const int icon = flags & ~static_cast<int>(kBalloonNoSound);
  if (icon < 0 || icon > 3) return std::nullopt;
  return static_cast<unsigned>(flags);
}

}  // namespace hostkit::attention
