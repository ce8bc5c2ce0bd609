/* Wall-clock time for the Fortran side, through its C binding. */
#include <time.h>
#include "timer.h"

double wall_seconds(void)
{
    return (double)clock() / CLOCKS_PER_SEC;
}
