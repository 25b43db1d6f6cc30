# Run by `cmake --install`: the files that name the prefix installed to.
# The last install rule, so that the list of installed files it writes is whole.
set(prefix "${CMAKE_INSTALL_PREFIX}")
# file(INSTALL) puts $ENV{DESTDIR} in front by itself.
set(root "${prefix}")
set(programs "${prefix}/${ZUV_INSTALL_DIR}")
# Installs to different places may run side by side (the tests install
# and package at once).
string(MD5 unique "$ENV{DESTDIR}${prefix}")
set(staging "${CMAKE_CURRENT_BINARY_DIR}/zuv-install-staging-${unique}")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}")

# Programs started from here take each member's own folder.
file(WRITE "${staging}/installed"
  "Programs installed here keep each member's files in $XDG_DATA_HOME/zuv.\n")
file(INSTALL DESTINATION "${root}/${ZUV_INSTALL_DIR}" TYPE FILE FILES "${staging}/installed")

# load2 is the downloader under its second name.
file(CREATE_LINK load "${staging}/load2" SYMBOLIC)
file(INSTALL DESTINATION "${root}/${ZUV_INSTALL_DIR}" TYPE FILE FILES "${staging}/load2")

# Launchers: links, so that a program still knows its own folder.
foreach(program IN LISTS ZUV_LAUNCHED_PROGRAMS)
  file(CREATE_LINK "../${ZUV_INSTALL_DIR}/${program}" "${staging}/${program}" SYMBOLIC)
  file(INSTALL DESTINATION "${root}/${ZUV_BINDIR}" TYPE FILE FILES "${staging}/${program}")
endforeach()

# Menu entries start the launchers by their full path: ~/.local/bin is not
# on every session's PATH.
file(GLOB entries "${ZUV_SOURCE_DIR}/data/desktop/*.desktop")
foreach(entry IN LISTS entries)
  get_filename_component(name "${entry}" NAME)
  file(READ "${entry}" text)
  string(REGEX REPLACE "\nExec=([^\n]*)" "\nExec=${prefix}/${ZUV_BINDIR}/\\1" text "${text}")
  file(WRITE "${staging}/${name}" "${text}")
  file(INSTALL DESTINATION "${root}/${ZUV_DATADIR}/applications" TYPE FILE
    FILES "${staging}/${name}")
endforeach()

# The entry the messenger copies to start with the session.
file(READ "${ZUV_SOURCE_DIR}/data/zuvst.tt.in" text)
string(REPLACE "\"@ZUV_SUITE_DIR@/zuv\"" "\"${prefix}/${ZUV_BINDIR}/zuv\"" text "${text}")
string(REGEX REPLACE "\nPath=[^\n]*" "" text "${text}")
file(WRITE "${staging}/zuvst.tt" "${text}")
file(INSTALL DESTINATION "${root}/${ZUV_INSTALL_DIR}/Zuv_Data" TYPE FILE
  FILES "${staging}/zuvst.tt")

# The server as a system service, where systemd looks for one: not below a
# home folder.
string(FIND "${prefix}/" "$ENV{HOME}/" below_home)
if(NOT below_home EQUAL 0 OR "$ENV{HOME}" STREQUAL "")
  file(READ "${ZUV_SOURCE_DIR}/data/systemd/zuvd.service" text)
  string(REPLACE "/usr/lib/zuv/zuvd" "${programs}/zuvd" text "${text}")
  file(WRITE "${staging}/zuvd.service" "${text}")
  file(INSTALL DESTINATION "${root}/lib/systemd/system" TYPE FILE FILES "${staging}/zuvd.service")
endif()

# What scripts/uninstall removes, kept with the programs so that it needs
# no build folder. It names itself too.
set(manifest "${programs}/install_manifest.txt")
set(listed "")
string(LENGTH "$ENV{DESTDIR}" staged)
foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  string(FIND "${file}" "$ENV{DESTDIR}" at)
  if(staged GREATER 0 AND at EQUAL 0)
    string(SUBSTRING "${file}" ${staged} -1 file)
  endif()
  string(APPEND listed "${file}\n")
endforeach()
string(APPEND listed "${programs}/install_manifest.txt\n")
file(WRITE "${staging}/install_manifest.txt" "${listed}")
file(INSTALL DESTINATION "${programs}" TYPE FILE FILES "${staging}/install_manifest.txt")
file(REMOVE_RECURSE "${staging}")
