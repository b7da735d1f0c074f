#include "app/run_state.h"

#include "report/text_units.h"
#include "scf/exchange_update.h"
#include "state/atomic_state.h"

namespace hf {

void start_fresh_run() {
  reset_atomic_state();
  report::reset_units();
  reset_exchange_update();
}

}  // namespace hf
