#include "tests/support/host.h"

namespace quolvane {

bool RunningUnderWine() {
  return false;
}

std::string HostPath(const std::string& buildPath) {
  return buildPath;
}

}  // namespace quolvane
