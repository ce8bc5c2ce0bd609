1program p
     use m
  call s(x, &  ! two

! note
    USERS, y)
  call t(a, &
#ifdef X
    module_name, procedure )
#if defined(A) && !defined(B)
  use n
#endif
&
&use k
  x = &
&
  & ! c
   &y &
   &
contains
Call s
*p = 1
      use                                                                      longname
  use m, &
  only: a
  call u(b, &