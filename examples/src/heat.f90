! Heats the middle of a rod and lets the heat spread.
program heat
  use constants, only: wp, pi
  use geometry, only: npoints
  use solver
  implicit none
  real(wp) :: u(npoints), t0
  integer :: i
  u = [(sin(pi * real(i - 1, wp) / real(npoints - 1, wp)), i = 1, npoints)]
  t0 = wall_seconds()
  do i = 1, nsteps
    call step(u, 1.0e-4_wp)
  end do
  print '(a, f8.5, a, f6.3, a)', 'centre: ', u((npoints + 1) / 2), '  (', wall_seconds() - t0, ' s)'
end program heat
