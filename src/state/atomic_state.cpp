#include "state/atomic_state.h"

#include <new>
#include <type_traits>

namespace hf {

AtomicState::AtomicState() { names.shell_label.fill(kBlank4); }

AtomicState atom;

void reset_atomic_state() {
  // Made afresh in place: no second megabyte of fresh state to build, touch and copy.
  static_assert(std::is_trivially_destructible_v<AtomicState>);
  ::new (static_cast<void*>(&atom)) AtomicState();
}

std::uint64_t new_grid_id() {
  static std::uint64_t last_id = 0;
  return ++last_id;
}

}  // namespace hf
