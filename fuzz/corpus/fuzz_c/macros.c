#define F(x) do { x; } while (0)
#define LONG(a) \
    ((a) + 1)
#include "after.h"
#define MAX(a,b) \
  ((a)>(b)?(a):(b))
#include "x.h"
