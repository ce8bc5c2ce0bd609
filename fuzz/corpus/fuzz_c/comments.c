/* one
   two */ #include "z.h"
int f(int a, /* x */
      int b) {
  return a; // c
}
// only a comment
/* open at end of line */ x; /*
#include "swallowed.h"
*/
