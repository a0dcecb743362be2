// Transverse kinds.
#include "projection/Families.h"

std::span<const KindRoutines> TransverseRoutines() { return {}; }
