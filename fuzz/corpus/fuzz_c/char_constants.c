char q = '"';
#include "a.h"
char r = '\'';
c = ';'; d = '{'; e = '/*';
#define Q '"'
x = 'open;
y;
