// hfatom: closed-shell Hartree-Fock ground state of an atom or ion on a radial grid.
#include "app/program.h"
#include "app/run_state.h"

int main() {
  hf::start_fresh_run();
  return hf::run_program();
}
