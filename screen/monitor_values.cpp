#include "screen/monitor_values.h"

#include <cstdint>

namespace hostkit::screen {
namespace {

int Span(int low, int high) { return static_cast<int>(std::int64_t{high} - low); }
int OrMinusOne(const std::optional<int>& v) { return v.value_or(-1); }

}  // namespace

Source SourceOf(int what) {
  if (what < 0 || what >= kValueCount) return Source::None;
  switch (static_cast<Value>(what)) {
    case Value::Dpi:
    case Value::ScalePercent:
      return Source::Dpi;
    case Value::RefreshHz:
    case Value::BitsPerPixel:
      return Source::Mode;
    case Value::PhysicalWidth:
    case Value::PhysicalHeight:
      return Source::Physical;
    default:
      return Source::Outline;
  }
}

int ScalePercent(int dpi) { return static_cast<int>((std::int64_t{dpi} * 100 + 48) / 96); }

int ValueOf(const MonitorFacts& f, int what) {
  if (SourceOf(what) == Source::None) return -1;
  switch (static_cast<Value>(what)) {
    case Value::Left:
      return f.monitor.left;
    case Value::Top:
      return f.monitor.top;
    case Value::Width:
      return Span(f.monitor.left, f.monitor.right);
    case Value::Height:
      return Span(f.monitor.top, f.monitor.bottom);
    case Value::WorkLeft:
      return f.work.left;
    case Value::WorkTop:
      return f.work.top;
    case Value::WorkWidth:
      return Span(f.work.left, f.work.right);
    case Value::WorkHeight:
      return Span(f.work.top, f.work.bottom);
    case Value::Dpi:
      return OrMinusOne(f.dpi);
    case Value::RefreshHz:
      return OrMinusOne(f.hz);
    case Value::BitsPerPixel:
      return OrMinusOne(f.bits);
    case Value::Primary:
      return f.primary ? 1 : 0;
    case Value::ScalePercent:
      return f.dpi ? ScalePercent(*f.dpi) : -1;
    case Value::PhysicalWidth:
      return OrMinusOne(f.physical_width);
    case Value::PhysicalHeight:
      return OrMinusOne(f.physical_height);
  }
  return -1;
}

}  // namespace hostkit::screen
