char *s = "a;b{c";
char *t = "a\"b";
char *u = "a\\";
x = 1 /* c */;
int a; int b;
#define S "x;y"
