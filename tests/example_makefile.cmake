# The example project's makefile, byte for byte: the one in examples/expected.mk, with CR LF
# line ends when the program is the Windows one (its standard output is a text stream).
# Run with: cmake -DZELKOV=<program> [-DEMULATOR=<runner>] -DEXAMPLES=<dir> -DCRLF=<bool>
#           -DACTUAL=<file for the output> -P example_makefile.cmake
# The output goes to a file: OUTPUT_VARIABLE would drop the CR of every CR LF.
execute_process(
  COMMAND ${EMULATOR} ${ZELKOV} -Iinclude "src\\*.f90" "src\\*.c"
  WORKING_DIRECTORY ${EXAMPLES}
  OUTPUT_FILE ${ACTUAL} ERROR_VARIABLE errors RESULT_VARIABLE status)
file(READ ${EXAMPLES}/expected.mk expected)
if(CRLF)
  string(REPLACE "\n" "\r\n" expected "${expected}")
endif()
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "exit status ${status}, standard error:\n${errors}")
endif()
# Compared through hashes: file(READ) would drop the CR of every CR LF as well.
file(SHA256 ${ACTUAL} got)
string(SHA256 want "${expected}")
if(NOT got STREQUAL want)
  file(SIZE ${ACTUAL} got_size)
  string(LENGTH "${expected}" want_size)
  message(FATAL_ERROR "the makefile differs from examples/expected.mk (CR LF: ${CRLF}): "
                      "${got_size} bytes for ${want_size}; it is in ${ACTUAL}")
endif()
