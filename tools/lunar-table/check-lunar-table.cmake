# Runs lunar-table on known ranges and on bad arguments:
#   cmake -DTOOL=<path to lunar-table> -P check-lunar-table.cmake

function(fail message)
  message(SEND_ERROR "${message}")
endfunction()

# The tool's output for FROM..TO must be exactly the given lines. With
# OPTIONS set to --extended the call reads the extended table.
function(expect_lines from to)
  execute_process(COMMAND ${TOOL} ${OPTIONS} ${from} ${to}
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

# --extended: the classic range is printed exactly as without it.
execute_process(COMMAND ${TOOL} --extended 1912-02-18 2011-12-31
                OUTPUT_VARIABLE extended_classic RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT extended_classic STREQUAL out)
  fail("--extended 1912-02-18 2011-12-31: exit ${rc}, differs from the classic table")
endif()
# From the last classic year into the extension, 2025's leap sixth month,
# 2033's leap eleventh month into January 2034, the last day covered.
set(OPTIONS --extended)
expect_lines(2012-01-22 2012-01-23
  "2012-01-22,100,12,29,廿九"
  "2012-01-23,101,1,1,正月")
expect_lines(2025-07-24 2025-07-25
  "2025-07-24,114,6,30,三十"
  "2025-07-25,114,-6,1,闰六月")
expect_lines(2033-12-21 2033-12-22
  "2033-12-21,122,11,30,三十"
  "2033-12-22,122,-11,1,闰冬月")
expect_lines(2034-01-19 2034-01-20
  "2034-01-19,122,-11,29,廿九"
  "2034-01-20,122,12,1,腊月")
expect_lines(2100-12-31 2100-12-31 "2100-12-31,189,12,1,腊月")
unset(OPTIONS)
execute_process(COMMAND ${TOOL} --extended 2012-01-01 2100-12-31
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REGEX REPLACE "[^\n]" "" newlines "${out}")
string(LENGTH "${newlines}" lines)
if(NOT rc EQUAL 0 OR NOT lines EQUAL 32507)
  fail("--extended 2012 to 2100: exit ${rc}, ${lines} lines, want 32507")
endif()
expect_refused(--extended 1912-02-17 1912-02-20)
expect_refused(--extended 2100-12-31 2101-01-01)
expect_refused(--extended 2012-01-01)
expect_refused(--extended)
expect_refused(--Extended 2012-01-01 2012-01-02)
expect_refused(2012-01-01 2012-01-02 --extended)
expect_refused(--extended --extended 2012-01-01 2012-01-02)

# --festivals: the lunar festival, else the Gregorian festival, else the
# solar term, else the ordinary label.
# 除夕 is 腊月廿九 when 腊月 has 29 days; 2100-12-31 has no next day in the
# table and is simply 腊月.
set(OPTIONS --extended --festivals)
expect_lines(2026-02-15 2026-02-18
  "2026-02-15,114,12,28,廿八"
  "2026-02-16,114,12,29,除夕"
  "2026-02-17,115,1,1,春节"
  "2026-02-18,115,1,2,雨水")
expect_lines(2025-10-06 2025-10-06 "2025-10-06,114,8,15,中秋")
expect_lines(2026-04-04 2026-04-05
  "2026-04-04,115,2,17,十七"
  "2026-04-05,115,2,18,清明")
expect_lines(2026-12-22 2026-12-22 "2026-12-22,115,11,14,冬至")
expect_lines(2027-01-15 2027-01-15 "2027-01-15,115,12,8,腊八")
expect_lines(2100-12-31 2100-12-31 "2100-12-31,189,12,1,腊月")
expect_lines(2026-03-20 2026-03-20 "2026-03-20,115,2,2,龙抬头")
expect_lines(2020-10-01 2020-10-01 "2020-10-01,109,8,15,中秋")
expect_lines(2026-10-01 2026-10-01 "2026-10-01,115,8,21,国庆节")
expect_lines(2020-06-21 2020-06-21 "2020-06-21,109,5,1,父亲节")
# --ganzhi: the year's stem-branch and animal turn at 正月初一, the day's
# run on through the cycle.
set(OPTIONS --extended --ganzhi)
expect_lines(2026-12-08 2026-12-08 "2026-12-08,115,10,30,三十,丙午,马,丙辰")
expect_lines(2026-02-16 2026-02-17
  "2026-02-16,114,12,29,廿九,乙巳,蛇,辛酉"
  "2026-02-17,115,1,1,正月,丙午,马,壬戌")
set(OPTIONS --extended --festivals --ganzhi)
expect_lines(2026-02-16 2026-02-17
  "2026-02-16,114,12,29,除夕,乙巳,蛇,辛酉"
  "2026-02-17,115,1,1,春节,丙午,马,壬戌")
unset(OPTIONS)
expect_refused(--ganzhi 2026-02-15 2026-02-18)
expect_refused(--extended --ganzhi --festivals 2026-02-15 2026-02-18)
expect_refused(--extended --ganzhi 2026-02-15)
expect_refused(--festivals 2026-02-15 2026-02-18)
expect_refused(--festivals --extended 2026-02-15 2026-02-18)
expect_refused(--extended --festivals --festivals 2026-02-15 2026-02-18)
expect_refused(--extended --festivals 2026-02-15)
expect_refused(--extended --festivals 2011-12-31 2101-01-01)
expect_refused(--extended 2026-02-15 2026-02-18 --festivals)

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

# The days off and make-up working days of a range: 中秋节 and 国庆节 of 2026.
set(OPTIONS --holidays)
expect_lines(2026-09-19 2026-10-11
  "2026-09-20,班,国庆节"
  "2026-09-25,休,中秋节" "2026-09-26,休,中秋节" "2026-09-27,休,中秋节"
  "2026-10-01,休,国庆节" "2026-10-02,休,国庆节" "2026-10-03,休,国庆节" "2026-10-04,休,国庆节"
  "2026-10-05,休,国庆节" "2026-10-06,休,国庆节" "2026-10-07,休,国庆节"
  "2026-10-10,班,国庆节")
unset(OPTIONS)
expect_refused(--holidays 2026-10-01 2026-09-01)
expect_refused(--holidays 2026-02-30 2026-03-01)
