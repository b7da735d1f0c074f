// hfatom: closed-shell Hartree-Fock ground state of an atom or ion on a radial grid.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "app/program.h"
#include "app/run_state.h"

namespace {

constexpr const char* kUsage =
    "Usage: hfatom [--help | --version]\n"
    "\n"
    "Computes the non-relativistic Hartree-Fock ground state of a closed-shell atom or ion.\n"
    "With no argument it asks on the console for the element symbol, the number of shells\n"
    "(filled in the order 1s 2s 2p 3s 3p 3d 4s 4p 4d 5s 5p) and the nuclear charge, e.g.\n"
    "\n"
    "    printf 'Ne\\n3\\n10\\n' | hfatom\n"
    "\n"
    "and writes two files in the current directory, named from the symbol padded with blanks\n"
    "to four characters: the report \"Ne  .out\" (the iterations and the results, which also\n"
    "go to the console) and the orbital table \"Ne  .dat\" (P(r) of every shell on the grid).\n"
    "Energies are in hartree, lengths in bohr.\n"
    "\n"
    "Exit status: 0 the run finished; 1 the computation failed (the report and one line on\n"
    "standard error say why); 2 the run could not start or could not write its files.\n"
    "\n"
    "  --help     print this text\n"
    "  --version  print the version\n"
    "\n"
    "The manual page hfatom(1) describes the dialogue and the files in full.\n";

// Status 0 once the text is out on standard output, else a diagnostic.
int print(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "hfatom: cannot write console output: %s\n", std::strerror(errno));
    return hf::kExitDiagnostic;
  }
  return 0;
}

// Answers --help and --version; anything else is refused (exit status 2, no file).
int answer_arguments(int argc, char** argv) {
  const std::string_view first = argv[1];
  if (argc == 2 && first == "--version") return print(std::string("hfatom ") + HFATOM_VERSION + "\n");
  if (argc == 2 && first == "--help") return print(kUsage);
  if (argc > 2) {
    std::fprintf(stderr, "hfatom: %d arguments: it takes at most one, --help or --version\n", argc - 1);
    return hf::kExitDiagnostic;
  }
  std::string refused(first);
  for (char& c : refused)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';  // one line, whatever was typed
  std::fprintf(stderr, "hfatom: unknown argument \"%s\": the only arguments are --help and --version\n",
               refused.c_str());
  return hf::kExitDiagnostic;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return answer_arguments(argc, argv);
  hf::start_fresh_run();
  return hf::run_program();
}
