#include <ostream>

#include "common/text.h"

namespace quolvane {

std::ostream& operator<<(std::ostream& out, const Text& text) {
  return out << '"' << text.View() << '"';
}

std::ostream& operator<<(std::ostream& out, const Bytes& bytes) {
  return out << bytes.Count() << " bytes \"" << bytes.AsChars() << '"';
}

}  // namespace quolvane
