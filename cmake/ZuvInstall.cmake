# Where an install puts the suite:
#   <prefix>/lib/zuv/      the programs, their libraries and the Zuv_Data defaults
#   <prefix>/bin/          launchers of the programs a member starts
#   <prefix>/share/        menu entries and icons
# Each member's own files live in $XDG_DATA_HOME/zuv (see foundation/userfolder.h).
include(GNUInstallDirs)

set(ZUV_INSTALL_DIR lib/zuv)
set(ZUV_LAUNCHED_PROGRAMS zuv sorvanta ZuvRecorder Postrel zuvbus)

install(TARGETS zuv msg sorvanta ZuvRecorder Postrel load ZuvBrowser zuvbus zuvd
  RUNTIME DESTINATION ${ZUV_INSTALL_DIR})
install(TARGETS zuv_foundation zuv_foundation_gui zuv_media zuv_mp3 zuv_wavein
  LIBRARY DESTINATION ${ZUV_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/Zuv_Data DESTINATION ${ZUV_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/Zuv_Data/icons/hicolor
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zuv)

# What needs the prefix the install really goes to (which `cmake --install
# --prefix` and packaging choose after configuring): launchers, menu
# entries, the autostart entry, the service, and the list of installed files.
install(CODE "
  set(ZUV_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(ZUV_INSTALL_DIR \"${ZUV_INSTALL_DIR}\")
  set(ZUV_LAUNCHED_PROGRAMS \"${ZUV_LAUNCHED_PROGRAMS}\")
  set(ZUV_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  set(ZUV_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/install-prefixed.cmake)
