// The three affine grid kinds.
#include "projection/Families.h"

std::span<const KindRoutines> GridRoutines() { return {}; }
