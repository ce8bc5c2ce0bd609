! The rod: its length, its grid and the spacing between grid points.
module geometry
  use constants, only: wp
  implicit none
  include 'params.inc'
contains
  pure function grid_step() result(dx)
    real(wp) :: dx
    dx = rod_length / real(npoints - 1, wp)
  end function grid_step
end module geometry
