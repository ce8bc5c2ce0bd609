! Physical constants and the working precision of the heat solver.
module constants
  implicit none
  integer, parameter :: wp = selected_real_kind(12)
  real(wp), parameter :: pi = 3.141592653589793_wp
  real(wp), parameter :: conductivity = 0.5_wp
end module constants
