#include "tests/e2e/harness/host.h"

namespace e2e {

hostrun::HostDouble& Host() {
  static hostrun::HostDouble host{hostrun::Options{}};
  return host;
}

}  // namespace e2e
