# Installation: the launcher as bin/calixo, the program and its two shared
# libraries together in lib/calixo (the program finds them through its RPATH
# $ORIGIN), the shipped data files in share/calixo, the menu entry and icon
# where freedesktop desktops look for them.
include(GNUInstallDirs)

set(CALIXO_PROGRAM_DIR lib/calixo)

foreach(t calixo contoura hovrel)
  if(TARGET ${t})
    set_target_properties(${t} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${t} RUNTIME DESTINATION ${CALIXO_PROGRAM_DIR}
                         LIBRARY DESTINATION ${CALIXO_PROGRAM_DIR})
  endif()
endforeach()
if(TARGET dbfdump)
  install(TARGETS dbfdump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(PROGRAMS ${CMAKE_SOURCE_DIR}/data/install/calixo.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME calixo)
file(GLOB calixo_shipped ${CALIXO_RUNTIME_DATA_DIR}/*)
install(FILES ${calixo_shipped} ${CMAKE_SOURCE_DIR}/data/install/calixo-autostart.desktop
              ${CMAKE_SOURCE_DIR}/data/install/calixo-first-run.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/calixo)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/calixo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/calixo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/org.calixo.Calixo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The package's documentation: the copyright statement and the changelog,
# compressed as Debian keeps them.
execute_process(COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/data/install/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/calixo)
foreach(page calixo dbfdump)
  execute_process(COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/data/install/${page}.1
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/${page}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
