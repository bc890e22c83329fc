// Exported commands of the host bridge, and the host link.
#include "exports/command.h"
#include "host/host_window.h"

using namespace hostkit;
using exports::Export;

extern "C" {

std::intptr_t ReceiveQVRPtr(host::LookupFn lookup) {
  return Export<ReceiveQVRPtr>([&] { return host::ReceiveQVRPtr(lookup); });
}

int hk_Init() {
  return Export<hk_Init>([] { return host::Init(); });
}
int hk_GetWindowMessage() {
  return Export<hk_GetWindowMessage>([] { return host::LastMessage(); });
}
int hk_GetHitTestMessage() {
  return Export<hk_GetHitTestMessage>([] { return host::LastHitTest(); });
}
int hk_GetWindowParamW() {
  return Export<hk_GetWindowParamW>([] { return host::LastParamW(); });
}
int hk_GetWindowParamL() {
  return Export<hk_GetWindowParamL>([] { return host::LastParamL(); });
}

}  // extern "C"
