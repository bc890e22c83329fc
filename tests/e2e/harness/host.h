#pragma once
// The host double shared by the tests of one process: created on first use with a visible "OPENGLWINDOW"
// window at (100, 50), hostkit.dll loaded and linked. CTest runs each test in a process of its own.
#include "tools/hostrun/host_double.h"

namespace e2e {

hostrun::HostDouble& Host();

}  // namespace e2e
