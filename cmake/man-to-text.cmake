# The manual page as plain text for Windows: no overstriking or escape sequences, CR LF line
# ends. Run with: cmake -DGROFF=<groff> -DIN=<page> -DOUT=<text file> -P man-to-text.cmake
execute_process(
  COMMAND ${GROFF} -man -Tascii -P-c -P-b -P-u ${IN}
  OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "groff failed on ${IN} (status ${status}):\n${errors}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
