CC=cl.exe
CFLAGS=
FC=df.exe
FFLAGS=
LD=cl.exe
LDFLAGS=

ERASEOBJ=erase

EXE=heat.exe
OBJDIR=.
INCDIR=include
SRCDIR=src

ALL : "$(EXE)"

CLEAN :
	-@$(ERASEOBJ) "$(OBJDIR)\constants.obj"
	-@$(ERASEOBJ) "$(OBJDIR)\geometry.obj"
	-@$(ERASEOBJ) "$(OBJDIR)\heat.obj"
	-@$(ERASEOBJ) "$(OBJDIR)\solver.obj"
	-@$(ERASEOBJ) "$(OBJDIR)\timer.obj"
	-@$(ERASEOBJ) "$(EXE)"

OBJS= \
	"$(OBJDIR)\constants.obj" \
	"$(OBJDIR)\geometry.obj" \
	"$(OBJDIR)\heat.obj" \
	"$(OBJDIR)\solver.obj" \
	"$(OBJDIR)\timer.obj"

"$(EXE)" : $(OBJS)
	$(LD) -o "$(EXE)" $(LDFLAGS) $(OBJS)

"$(OBJDIR)\constants.obj" : "$(SRCDIR)\constants.f90"
	$(FC) /c /Fo"$(OBJDIR)\constants.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\constants.f90"

"$(OBJDIR)\geometry.obj" : "$(SRCDIR)\geometry.f90" "$(INCDIR)\params.inc" "$(INCDIR)\steps.inc" "$(OBJDIR)\constants.obj"
	$(FC) /c /Fo"$(OBJDIR)\geometry.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\geometry.f90"

"$(OBJDIR)\heat.obj" : "$(SRCDIR)\heat.f90" "$(OBJDIR)\constants.obj" "$(OBJDIR)\geometry.obj" "$(OBJDIR)\solver.obj"
	$(FC) /c /Fo"$(OBJDIR)\heat.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\heat.f90"

"$(OBJDIR)\solver.obj" : "$(SRCDIR)\solver.f90" "$(OBJDIR)\constants.obj" "$(OBJDIR)\geometry.obj"
	$(FC) /c /Fo"$(OBJDIR)\solver.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\solver.f90"

"$(OBJDIR)\timer.obj" : "$(SRCDIR)\timer.c" "$(INCDIR)\timer.h"
	$(CC) /c /Fo"$(OBJDIR)\timer.obj" /I"$(INCDIR)" $(CFLAGS) "$(SRCDIR)\timer.c"

