#include "util.h
#include ""
int ok;
