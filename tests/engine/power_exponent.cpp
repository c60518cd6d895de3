// Compiled by CTest, not linked: x ^ 2 and x ^ 0.5 compile, any other exponent must not.
#include "engine/real.h"

tavorin::Real square(tavorin::Real x) { return pow(x, 2); }
tavorin::Real root(tavorin::Real x) { return pow(x, 0.5); }
#ifdef TAVORIN_OTHER_EXPONENT
tavorin::Real other(tavorin::Real x) { return pow(x, TAVORIN_OTHER_EXPONENT); }
#endif
