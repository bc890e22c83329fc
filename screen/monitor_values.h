#pragma once
// The values GetMonitorValue answers, by number, from what the system says about one monitor.
#include <optional>

namespace hostkit::screen {

// A rectangle in the host's desktop coordinates (right and bottom exclusive, as the system gives them).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The value numbers: 0-3 the monitor, 4-7 its work area (left, top, width, height), 8 effective DPI, 9 refresh
// rate, 10 bits per pixel, 11 primary, 12 scale in percent, 13-14 size in physical pixels.
enum class Value {
  Left = 0,
  Top,
  Width,
  Height,
  WorkLeft,
  WorkTop,
  WorkWidth,
  WorkHeight,
  Dpi,
  RefreshHz,
  BitsPerPixel,
  Primary,
  ScalePercent,
  PhysicalWidth,
  PhysicalHeight,
};
inline constexpr int kValueCount = 15;

// What a value is read from: each kind is one question to the system, asked only for the values that need it.
enum class Source { Outline, Dpi, Mode, Physical, None };
Source SourceOf(int what);

// What was asked; a kind left empty was not asked, or the system had no answer.
struct MonitorFacts {
  Rect monitor;
  Rect work;
  bool primary = false;
  std::optional<int> dpi;
  std::optional<int> hz;
  std::optional<int> bits;
  std::optional<int> physical_width;
  std::optional<int> physical_height;
};

// The value `what` of the facts: -1 for a number that names no value or a value the system did not give.
int ValueOf(const MonitorFacts& facts, int what);

// The scale a DPI stands for, in percent of 96, rounded to the nearest: 96 100, 120 125, 144 150, 192 200.
int ScalePercent(int dpi);

}  // namespace hostkit::screen
