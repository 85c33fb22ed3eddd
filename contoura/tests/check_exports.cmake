# Fails unless the library's dynamic symbol table defines SetRgn and nothing
# else. Run as: cmake -DNM=... -DLIBRARY=... -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${out}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "SetRgn")
  message(FATAL_ERROR "exports of ${LIBRARY}: ${names}")
endif()
message(STATUS "exports of ${LIBRARY}: ${names}")
