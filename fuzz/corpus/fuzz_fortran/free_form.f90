1module geometry
  use, intrinsic :: iso_c_binding
  implicit none
  ! a comment with ; and 'quotes
contains
  module procedure swap
  real function area(r) ; area = 3.14*r*r ; end function
end module geometry
submodule (geometry:impl) impl_sub
end submodule
program main
  use geometry, only: operator(==), assignment(=)
  use :: other_mod
  include "defs.h"
  print *, 'a;b!c'
end program main
