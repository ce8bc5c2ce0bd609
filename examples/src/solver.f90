! Explicit time stepping of the one-dimensional heat equation.
module solver
  use, intrinsic :: iso_c_binding, only: c_double
  use constants, only: wp, conductivity
  use geometry
  implicit none
  interface
    function wall_seconds() bind(c, name='wall_seconds')
      import :: c_double
      real(c_double) :: wall_seconds
    end function wall_seconds
  end interface
contains
  subroutine step(u, dt)
    real(wp), intent(inout) :: u(:)
    real(wp), intent(in) :: dt
    real(wp) :: r
    r = conductivity * dt / grid_step()**2
    u(2:npoints-1) = u(2:npoints-1) + r * (u(1:npoints-2) - 2*u(2:npoints-1) + u(3:npoints))
  end subroutine step
end module solver
