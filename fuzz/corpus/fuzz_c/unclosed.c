/* never closed
#include "a.h"
