// A state header that includes a header of the run layer above it and one that names no
// layer: the layer check must refuse both.
#pragma once

#include <array>

#include "run/radial_grid.h"
#include "status.h"
