// Run state: everything the program keeps from one routine call to the next, returned at once
// to its process-start values.
#pragma once

namespace hf {

// Starts a fresh run: returns to their process-start values the atomic state (atom), the
// output units and console input (closing open files; captures and an input override are
// dropped) and the exchange update's direct potential and stored driving terms, the only
// routine state that carries a run's results. Every other value kept between calls is
// keyed on what it is computed from (the grid id, the step) and needs no reset. The program
// calls it before run_program; so do the tests, the benchmarks and the fuzz target before
// each run they make in one process.
void start_fresh_run();

}  // namespace hf
