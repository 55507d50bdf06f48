#include "tests/regex/serving_regexp.h"

namespace quolvane {

// There is no system component here: the built-in one always serves.
bool SystemRegExpServes() {
  return false;
}

}  // namespace quolvane
