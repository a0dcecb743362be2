// Azimuthal kinds.
#include "projection/Families.h"

std::span<const KindRoutines> AzimuthalRoutines() { return {}; }
