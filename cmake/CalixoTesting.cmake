# Helpers shared by every tests/ folder.
#
# calixo_add_gtest(name SOURCES ... LIBS ... [GUI] [XVFB])
#   GUI:  the test runs with the offscreen platform plugin.
#   XVFB: the test needs real X11 windows and runs under xvfb-run.
# Every test gets a fixed time zone and locale so nothing depends on the machine.
function(calixo_add_gtest name)
  cmake_parse_arguments(T "GUI;XVFB" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(env "TZ=Asia/Shanghai" "LC_ALL=C.UTF-8")
  if(T_GUI OR T_XVFB)
    # Qt, fontconfig and the X libraries keep caches until exit; leak reports
    # are only meaningful for the plain libraries.
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0")
  endif()
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(T_XVFB)
    list(APPEND env "QT_QPA_PLATFORM=xcb")
    add_test(NAME ${name}
             COMMAND xvfb-run -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
