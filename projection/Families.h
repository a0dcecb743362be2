// The routine tables of the kinds' families. Each family's source file defines
// its table; the component's dispatch is assembled from them once. A kind that
// appears in no table has no routine and behaves like mpPutnins2.
#pragma once

#include <span>

#include "projection/GxProjectionL.h"

std::span<const KindRoutines> TransverseRoutines();
std::span<const KindRoutines> AzimuthalRoutines();
std::span<const KindRoutines> ConicRoutines();
std::span<const KindRoutines> PseudocylindricalRoutines();
std::span<const KindRoutines> WorldRoutines();
std::span<const KindRoutines> GridRoutines();  // conversion/

// The routines of a kind, or nullptr when it has none. Lets one kind run
// another's routine (Bonne with Phi0 = 0 is the sinusoidal projection).
const KindRoutines* RoutinesOf(TProjection kind);
