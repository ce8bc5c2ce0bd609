0      PROGRAM P
#include "a.inc"
      CALL S(A,
#ifdef MPI
     &       B,
#else
#include "in_a_statement.inc"
     &       C)
#endif
#  include	"b.inc"  ! not a comment to the preprocessor
#include <c.h>
#include "unclosed.inc
      END
