# `cpack -G DEB` in the build folder: the install of ZuvInstall.cmake under
# /usr as one Debian package, depending on the runtime list of
# scripts/install-deps.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-deps --runtime
  OUTPUT_VARIABLE ZUV_RUNTIME_PACKAGES OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)

set(CPACK_PACKAGE_NAME zuv)
set(CPACK_PACKAGE_VENDOR "Zuv network")
set(CPACK_PACKAGE_CONTACT "Zuv network <admin@zuv.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Zuv network desktop programs: messenger, chat, radio, recorder, mail checker")
set(CPACK_PACKAGE_DESCRIPTION
  "The messenger centre zuv with its chat windows, the internet radio sorvanta, \
the recorder and music library ZuvRecorder, the e-mail checker Postrel and the \
reference server zuvd (with a systemd unit) of the Zuv community network.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install then runs with its real prefix, which the menu entries and
# the service name.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debug information stays in the build folder.
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ZUV_RUNTIME_PACKAGES}")
# Sound needs a sound server; links open in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils")
set(CPACK_GENERATOR DEB)
include(CPack)
