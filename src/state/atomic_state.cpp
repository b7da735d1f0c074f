#include "state/atomic_state.h"

namespace hf {

AtomicState::AtomicState() { names.shell_label.fill(kBlank4); }

AtomicState atom;

void reset_atomic_state() {
  static const AtomicState fresh;  // about 1 MB: kept off the stack
  atom = fresh;
}

std::uint64_t new_grid_id() {
  static std::uint64_t last_id = 0;
  return ++last_id;
}

}  // namespace hf
