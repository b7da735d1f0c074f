// hfatom: closed-shell Hartree-Fock ground state of an atom or ion on a radial grid.
#include "app/program.h"

int main() { return hf::run_program(); }
