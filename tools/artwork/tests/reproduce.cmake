# Runs the generator into a fresh folder and compares every file it writes
# with the committed one: the committed artwork must be what the generator
# makes. Arguments: -DGENERATOR=... -DDATA_DIR=... -DWORK_DIR=...
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${GENERATOR} ${WORK_DIR}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "calixo-artwork failed: ${rc}")
endif()
file(GLOB_RECURSE made RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
list(LENGTH made count)
if(count LESS 22)
  message(FATAL_ERROR "the generator wrote only ${count} files")
endif()
foreach(f ${made})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${f} ${DATA_DIR}/${f}
                  RESULT_VARIABLE diff)
  if(NOT diff EQUAL 0)
    message(SEND_ERROR "${f} differs from the committed file")
  endif()
endforeach()
message(STATUS "${count} files match")
