#include "a.h"
int x;
