// A radial header that reaches up to the scf layer: the layer check must refuse it.
#pragma once

#include "scf/hartree_fock_driver.h"
#include "state/atomic_state.h"
