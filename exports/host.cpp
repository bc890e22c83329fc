// Exported commands of the host bridge: each forwards to host/ behind the boundary guard.
#include "host/boundary.h"
#include "host/host_window.h"
#include "host/result.h"

using namespace hostkit;

extern "C" {

std::intptr_t ReceiveQVRPtr(host::LookupFn lookup) {
  try {
    return host::ReceiveQVRPtr(lookup);
  } catch (...) {
    return 0;
  }
}

int hk_Init() { return GuardInt(0, [] { return host::Init(); }); }
int hk_GetWindowMessage() { return host::LastMessage(); }
int hk_GetHitTestMessage() { return host::LastHitTest(); }
int hk_GetWindowParamW() { return host::LastParamW(); }
int hk_GetWindowParamL() { return host::LastParamL(); }

}  // extern "C"
