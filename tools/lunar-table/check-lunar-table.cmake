# Runs lunar-table on known ranges and on bad arguments:
#   cmake -DTOOL=<path to lunar-table> -P check-lunar-table.cmake

function(fail message)
  message(SEND_ERROR "${message}")
endfunction()

# The tool's output for FROM..TO must be exactly the given lines.
function(expect_lines from to)
  execute_process(COMMAND ${TOOL} ${from} ${to}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  string(JOIN "\n" want ${ARGN})
  string(APPEND want "\n")
  if(NOT rc EQUAL 0)
    fail("${from} ${to}: exit ${rc}, stderr: ${err}")
  elseif(NOT out STREQUAL want)
    fail("${from} ${to}: got\n${out}want\n${want}")
  elseif(NOT err STREQUAL "")
    fail("${from} ${to}: unexpected stderr: ${err}")
  endif()
endfunction()

# A refused call: exit 2, a message on stderr, nothing on stdout.
function(expect_refused)
  execute_process(COMMAND ${TOOL} ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2)
    fail("'${ARGN}': exit ${rc}, want 2")
  endif()
  if(NOT out STREQUAL "")
    fail("'${ARGN}': printed to stdout: ${out}")
  endif()
  if(err STREQUAL "")
    fail("'${ARGN}': no message on stderr")
  endif()
endfunction()

# The new year of 2000 and the leap fourth month of 2001.
expect_lines(2000-02-03 2000-02-06
  "2000-02-03,88,12,28,廿八"
  "2000-02-04,88,12,29,廿九"
  "2000-02-05,89,1,1,正月"
  "2000-02-06,89,1,2,初二")
expect_lines(2001-05-21 2001-05-24
  "2001-05-21,90,4,29,廿九"
  "2001-05-22,90,4,30,三十"
  "2001-05-23,90,-4,1,闰四月"
  "2001-05-24,90,-4,2,初二")
# Both ends of the table.
expect_lines(1912-02-18 1912-02-18 "1912-02-18,1,1,1,正月")
expect_lines(2011-12-31 2011-12-31 "2011-12-31,100,12,7,初七")

# The whole table: one line per day from 1912-02-18 to 2011-12-31.
execute_process(COMMAND ${TOOL} 1912-02-18 2011-12-31
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REGEX REPLACE "[^\n]" "" newlines "${out}")
string(LENGTH "${newlines}" lines)
if(NOT rc EQUAL 0 OR NOT lines EQUAL 36477)
  fail("whole range: exit ${rc}, ${lines} lines, want 36477")
endif()

# Wrong number of arguments.
expect_refused()
expect_refused(2001-05-21)
expect_refused(2001-05-21 2001-05-22 2001-05-23)
# Outside the table.
expect_refused(1912-02-17 1912-02-20)
expect_refused(1911-12-31 1912-03-01)
expect_refused(2011-12-01 2012-01-01)
# Not a date, or not written as YYYY-MM-DD.
expect_refused(2001-02-29 2001-03-01)
expect_refused(2001-13-01 2001-12-31)
expect_refused(2001-04-31 2001-05-01)
expect_refused(2001-00-10 2001-05-01)
expect_refused(2001-5-1 2001-05-02)
expect_refused(20010501 2001-05-02)
expect_refused(2001-05-01x 2001-05-02)
expect_refused(2001-05-01 "")
expect_refused(2001-05-01 -2001-05-2)
# A range that runs backwards.
expect_refused(2001-05-02 2001-05-01)
