// World kinds.
#include "projection/Families.h"

std::span<const KindRoutines> WorldRoutines() { return {}; }
