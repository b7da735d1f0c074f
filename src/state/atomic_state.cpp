#include "state/atomic_state.h"

namespace hf {

AtomicState::AtomicState() {
  names.shell_label.fill(kBlank4);
}

AtomicState atom;

namespace {

constexpr int kMaxResetHooks = 16;
std::array<void (*)(), kMaxResetHooks> reset_hooks{};
int reset_hook_count = 0;

}  // namespace

RunStateReset::RunStateReset(void (*reset)()) {
  if (reset_hook_count == kMaxResetHooks) {
    std::fprintf(stderr, "hfatom: internal error: too many run-state reset hooks\n");
    std::abort();
  }
  reset_hooks[static_cast<std::size_t>(reset_hook_count++)] = reset;
}

void reset_run_state() {
  static const AtomicState fresh;  // about 1 MB: kept off the stack
  atom = fresh;
  for (int k = 0; k < reset_hook_count; ++k) reset_hooks[static_cast<std::size_t>(k)]();
}

}  // namespace hf
