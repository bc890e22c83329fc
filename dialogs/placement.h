#pragma once
// Where the subsystem's dialogs open: one process-wide position, or the centring marker (-1, -1).
#include <cstdint>

namespace hostkit::dialogs {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// An outer window rectangle in screen coordinates (right and bottom exclusive, as GetWindowRect gives them).
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Only the exact pair (-1, -1) asks for centring; a single -1 is an ordinary coordinate.
constexpr Point kCentre{-1, -1};
inline bool IsCentreMarker(Point p) { return p == kCentre; }

// The stored position: offsets from the host window's outer top-left corner, fixed at the time of the call.
// Sums beyond the int range are clamped instead of wrapping.
Point OffsetFrom(const Box& host, int x, int y);

// Centres the dialog on the frame; the halving truncates toward zero (a width 81 px over the frame gives -40).
Point CentreOn(const Box& frame, const Box& dialog);

// The top-left corner a freshly built dialog goes to: the position itself, or the centre of the frame.
Point PlacementFor(Point position, const Box& frame, const Box& dialog);

// Moves a dialog of the given outer size at `at` only as far as needed to lie inside `area` (a monitor's work
// area); a position inside it is kept exactly. A dialog larger than the area gets the area's left or top edge,
// so that its title bar stays within reach.
Point KeptInside(Point at, int width, int height, const Box& area);

// The process-wide dialog position; (0, 0) at load, so dialogs open at the screen's top-left corner until set.
Point DialogPosition();
void StoreDialogPosition(Point p);

}  // namespace hostkit::dialogs
