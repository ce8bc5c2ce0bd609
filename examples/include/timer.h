#ifndef TIMER_H
#define TIMER_H
/* Seconds since an arbitrary start; only differences mean anything. */
double wall_seconds(void);
#endif
