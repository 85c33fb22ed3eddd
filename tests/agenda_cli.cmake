# The real program's --agenda, with no display at all, in an empty folder:
#   cmake -DCALIXO=<path to calixo> -DWORK=<scratch folder> -P agenda_cli.cmake
function(fail message)
  message(SEND_ERROR "${message}")
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(ENV{DISPLAY} "")
set(ENV{WAYLAND_DISPLAY} "")
set(ENV{QT_QPA_PLATFORM} "")

execute_process(COMMAND "${CALIXO}" --agenda 2026-01-01 2026-12-31 WORKING_DIRECTORY "${WORK}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "" OR NOT err STREQUAL "")
  fail("empty folder: exit ${rc}, out '${out}', err '${err}'")
endif()
file(GLOB left "${WORK}/*")
if(left)
  fail("the agenda wrote into the folder: ${left}")
endif()

foreach(bad "2026-02-30;2026-03-01" "2026-03-01;2026-02-01" "2026-03-01" "")
  execute_process(COMMAND "${CALIXO}" --agenda ${bad} WORKING_DIRECTORY "${WORK}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "usage: calixo --agenda FROM TO")
    fail("'${bad}': exit ${rc}, out '${out}', err '${err}'")
  endif()
endforeach()
