#include "dialogs/byte_cut.h"

namespace hostkit::dialogs {

std::size_t CutLength(std::string_view text, std::size_t max_bytes, const LeadBytes& lead) {
  if (text.size() <= max_bytes) return text.size();
  // Walked from the start: a trail byte can take any value a lead byte can, so only the start tells them apart.
  std::size_t at = 0;
  while (at < text.size()) {
    const bool pair = lead[static_cast<unsigned char>(text[at])] && at + 1 < text.size();
    const std::size_t next = at + (pair ? 2 : 1);
    if (next > max_bytes) break;
    at = next;
  }
  return at;
}

}  // namespace hostkit::dialogs
