#include "a.h"
#  include "b.h"
# include "c.h" /* note */
#include <stdio.h>
#INCLUDE "no.h"
#import "no.h"
int main(void) { return 0; }
