// The cost of the asynchronous dialogs on the host's thread: the start of a request (a thread with its own COM
// apartment, the dialog built there) and a status call while it is open. Prints the median and worst of each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/wine/clock.h"
#include "bench/wine/engine_side.h"
#include "tools/hostrun/host_double.h"

namespace {

using bench::Now;

constexpr int kStarts = 16;
constexpr int kStatusCalls = 100'000;

using StartFn = int (*)(const char*, const char*, const char*, int);
using StatusFn = int (*)(int);
using CloseFn = void (*)(int);

void Pump(double seconds) {
  const double end = Now() + seconds;
  while (Now() < end) {
    hostrun::HostDouble::Pump();
    Sleep(1);
  }
}

}  // namespace

int main() {
  hostrun::HostDouble host{hostrun::Options{}};
  const auto start = bench::Export<StartFn>(host.module(), "?InputTextAsync@@YAHPBD00H@Z");
  const auto status = bench::Export<StatusFn>(host.module(), "?GetDialogStatus@@YAHH@Z");
  const auto close = bench::Export<CloseFn>(host.module(), "?CloseDialog@@YAXH@Z");
  if (start == nullptr || status == nullptr || close == nullptr) return 1;
  std::vector<double> start_ms;
  std::vector<int> ids;
  for (int i = 0; i < kStarts; ++i) {
    const double before = Now();
    ids.push_back(start("Bench", "A prompt", "text", 0));
    start_ms.push_back((Now() - before) * 1e3);
    Pump(0.05);  // the host's frames go on between starts
  }
  Pump(0.5);  // every dialog is up
  double worst_status_us = 0;
  const double before = Now();
  for (int i = 0; i < kStatusCalls; ++i) {
    const double one = Now();
    status(ids[static_cast<std::size_t>(i) % ids.size()]);
    worst_status_us = std::max(worst_status_us, (Now() - one) * 1e6);
  }
  const double status_us = (Now() - before) * 1e6 / kStatusCalls;
  for (const int id : ids) close(id);
  Pump(0.5);
  std::sort(start_ms.begin(), start_ms.end());
  std::printf("dialog request start: median %.3f ms, worst %.3f ms (%d starts, 16 open)\n",
              start_ms[start_ms.size() / 2], start_ms.back(), kStarts);
  std::printf("GetDialogStatus with 16 open: %.3f us a call on average (timer included), worst %.1f us\n", status_us,
              worst_status_us);
  return 0;
}
