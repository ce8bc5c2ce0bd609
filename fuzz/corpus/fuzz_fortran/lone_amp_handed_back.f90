1#include "a"
&
&#ifdef X
use m
