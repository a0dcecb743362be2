// Conic kinds.
#include "projection/Families.h"

std::span<const KindRoutines> ConicRoutines() { return {}; }
