// Pseudocylindrical kinds.
#include "projection/Families.h"

std::span<const KindRoutines> PseudocylindricalRoutines() { return {}; }
