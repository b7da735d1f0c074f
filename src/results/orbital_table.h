// The orbital table file: the final radial function of every shell at every grid point.
#pragma once

#include <string>

#include "state/atomic_state.h"

namespace hf {

// Table file name: the symbol with leading blanks dropped, then ".dat" ("He  .dat").
std::string orbital_table_file_name(const Text4& symbol);

// Writes <symbol>.dat on unit 18: the header line, then for each shell 1..shell_count its
// 1000 rows (n, l, extent, label, energy, point, radius, P) and a line of one blank; closes
// the file. A file that cannot be opened or written throws report::RunDiagnostic.
void write_orbital_table();

}  // namespace hf
