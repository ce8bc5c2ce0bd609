! Calls the directory library the way Fortran code does: plain CALL statements, every
! argument by reference, blank-padded character fields with their lengths.
! Usage: fortran_caller <directory>. The program makes its own files in that directory,
! scans them and stops with a non-zero code at the first result that is not as expected.
program fortran_caller
  implicit none
  character(len=256) :: top
  character(len=300) :: path, dirbuf  ! dirbuf holds at least as many characters as path
  character(len=8) :: name
  character(len=8), parameter :: expect(3) = [character(len=8) :: 'a.f', 'B.f', 'c.f']
  integer :: ierror, dirlen, itype, namelen, i, n, unit

  call get_command_argument(1, top, n)
  if (n == 0) call fail('no directory given', 0)

  ! The directory to scan, with a subdirectory and three sources in mixed case.
  call isadir(ierror, n, top, itype)
  if (ierror /= 0) call makdir(ierror, n, top)
  path = top(1:n) // '/inc'
  call isadir(ierror, len(path), path, itype)
  if (ierror /= 0) call makdir(ierror, len(path), path)
  do i = 1, 3
    path = top(1:n) // '/' // expect(i)
    open (newunit=unit, file=trim(path), status='replace', action='write')
    write (unit, '(a)') '      end'
    close (unit)
  end do

  ! The sources in sorted order, each a regular file, then the silent end of the list.
  path = top(1:n) // '\*.F'
  call opndir(ierror, 0, len(path), path, dirlen, dirbuf, 0)
  if (ierror /= 0) call fail('opndir', ierror)
  if (dirlen /= n + 1) call fail('dirlen', dirlen)
  if (dirbuf(1:dirlen) /= top(1:n) // '\') call fail('dirbuf', dirlen)
  do i = 1, 3
    call rddir(ierror, 0, len(name), itype, namelen, name)
    if (ierror /= 0 .or. itype /= 0) call fail('rddir ' // expect(i), ierror)
    if (name /= expect(i) .or. namelen /= len_trim(expect(i))) call fail('name ' // name, namelen)
  end do
  call rddir(ierror, 0, len(name), itype, namelen, name)
  if (ierror /= -1 .or. itype /= -1) call fail('end of list', itype)
  call clsdir(ierror, 0)
  if (ierror /= 0) call fail('clsdir', ierror)

  ! The subdirectory through a pattern, and the types of single paths.
  path = top(1:n) // '/i?c'
  call opndir(ierror, 0, len(path), path, dirlen, dirbuf, 0)
  call rddir(ierror, 0, len(name), itype, namelen, name)
  if (ierror /= 0 .or. itype /= 1 .or. name /= 'inc') call fail('inc', itype)
  call clsdir(ierror, 0)

  call isadir(ierror, n, top, itype)
  if (ierror /= 0 .or. itype /= 1) call fail('isadir directory', itype)
  path = top(1:n) // '/a.f'
  call isadir(ierror, len(path), path, itype)
  if (ierror /= 0 .or. itype /= 0) call fail('isadir file', itype)
  path = top(1:n) // '/none.f'
  call isadir(ierror, len(path), path, itype)
  if (ierror /= -1 .or. itype /= -1) call fail('isadir missing', itype)

  print '(a)', 'fortran_caller: all results as expected'

contains

  subroutine fail(what, value)
    character(len=*), intent(in) :: what
    integer, intent(in) :: value
    print '(3a,i0)', 'fortran_caller: unexpected result at ', what, ': ', value
    error stop 1
  end subroutine fail

end program fortran_caller
