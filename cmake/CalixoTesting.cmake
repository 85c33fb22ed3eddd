# Helpers shared by every tests/ folder.
#
# calixo_add_gtest(name SOURCES ... LIBS ... [GUI] [XVFB] [APP])
#   GUI:  the test runs with the offscreen platform plugin, inside the
#         program's application object (implies APP).
#   XVFB: the test needs real X11 windows and runs under xvfb-run.
#   APP:  the tests run inside the program's application object (the shared
#         main of platform/tests/app_test_main.cpp).
# Every test gets a fixed time zone and locale so nothing depends on the machine.
function(calixo_add_gtest name)
  cmake_parse_arguments(T "GUI;XVFB;APP" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_GUI OR T_APP)
    target_link_libraries(${name} PRIVATE ${T_LIBS} calixo_app_test_main GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  endif()
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
    # -noreset: a server that regenerates when its last client leaves
    # refuses the connection a test opens just after closing another.
    add_test(NAME ${name}
             COMMAND xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
