#include "dialogs/placement.h"

#include <algorithm>
#include <climits>

namespace hostkit::dialogs {
namespace {

Point g_position{};

int Clamp(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

// (a + b - extent) / 2 in 64 bits: no overflow for any rectangle, and C++ division truncates toward zero.
int Middle(int low, int high, int extent_low, int extent_high) {
  const std::int64_t extent = std::int64_t{extent_high} - extent_low;
  return Clamp((std::int64_t{low} + high - extent) / 2);
}

}  // namespace

Point OffsetFrom(const Box& host, int x, int y) {
  return {Clamp(std::int64_t{host.left} + x), Clamp(std::int64_t{host.top} + y)};
}

Point CentreOn(const Box& frame, const Box& dialog) {
  return {Middle(frame.left, frame.right, dialog.left, dialog.right),
          Middle(frame.top, frame.bottom, dialog.top, dialog.bottom)};
}

Point PlacementFor(Point position, const Box& frame, const Box& dialog) {
  return IsCentreMarker(position) ? CentreOn(frame, dialog) : position;
}

Point KeptInside(Point at, int width, int height, const Box& area) {
  // In 64 bits: a position near the int range's end plus a size does not wrap.
  const auto axis = [](int start, int extent, int low, int high) {
    const std::int64_t last = std::int64_t{high} - std::max(extent, 0);
    return Clamp(std::max<std::int64_t>(std::min<std::int64_t>(start, last), low));
  };
  return {axis(at.x, width, area.left, area.right), axis(at.y, height, area.top, area.bottom)};
}

Point DialogPosition() { return g_position; }
void StoreDialogPosition(Point p) { g_position = p; }

}  // namespace hostkit::dialogs
