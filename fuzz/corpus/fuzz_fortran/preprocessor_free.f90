1module m
#include "a.inc"
  use x, &
#include "inside.inc"
#if defined(A) && !defined(B)
    only: y
#endif
  p => use_q
end module
