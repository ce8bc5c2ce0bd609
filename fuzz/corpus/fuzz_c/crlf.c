#include "a.h"
int x;
#include "b.h"
