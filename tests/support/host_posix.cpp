#include "tests/support/host.h"

namespace quolvane {

bool RunningUnderWine() {
  return false;
}

}  // namespace quolvane
