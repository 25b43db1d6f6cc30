# Run by `cmake --install`: the files that name the prefix installed to.
# The last install rule, so that the list of installed files it writes is whole.
# file(INSTALL) puts $ENV{DESTDIR} in front by itself.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(programs "${prefix}/${ZUV_INSTALL_DIR}")
# Installs to different places may run side by side (the tests install
# and package at once).
string(MD5 unique "$ENV{DESTDIR}${prefix}")
set(staging "${CMAKE_CURRENT_BINARY_DIR}/zuv-install-staging-${unique}")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}")

# Installs the file `name` in `destination` from the staging folder; the
# list of installed files it grows is the caller's.
function(install_staged destination name)
  file(INSTALL DESTINATION "${destination}" TYPE FILE FILES "${staging}/${name}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

# Installs `text` as the file `name` in `destination`.
function(install_text destination name text)
  file(WRITE "${staging}/${name}" "${text}")
  install_staged("${destination}" "${name}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

# Installs a symbolic link `name` in `destination` pointing to `target`.
function(install_link destination name target)
  file(CREATE_LINK "${target}" "${staging}/${name}" SYMBOLIC)
  install_staged("${destination}" "${name}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

# Programs started from here take each member's own folder.
install_text("${programs}" installed
  "Programs installed here keep each member's files in $XDG_DATA_HOME/zuv.\n")

# load2 is the downloader under its second name.
install_link("${programs}" load2 load)

# Launchers: links, so that a program still knows its own folder.
foreach(program IN LISTS ZUV_LAUNCHED_PROGRAMS)
  install_link("${prefix}/${ZUV_BINDIR}" "${program}" "../${ZUV_INSTALL_DIR}/${program}")
endforeach()

# Menu entries start the launchers by their full path: ~/.local/bin is not
# on every session's PATH.
file(GLOB entries "${ZUV_SOURCE_DIR}/data/desktop/*.desktop")
foreach(entry IN LISTS entries)
  get_filename_component(name "${entry}" NAME)
  file(READ "${entry}" text)
  string(REGEX REPLACE "\nExec=([^\n]*)" "\nExec=${prefix}/${ZUV_BINDIR}/\\1" text "${text}")
  install_text("${prefix}/${ZUV_DATADIR}/applications" "${name}" "${text}")
endforeach()

# The entry the messenger copies to start with the session.
file(READ "${ZUV_SOURCE_DIR}/data/zuvst.tt.in" text)
string(REPLACE "\"@ZUV_SUITE_DIR@/zuv\"" "\"${prefix}/${ZUV_BINDIR}/zuv\"" text "${text}")
string(REGEX REPLACE "\nPath=[^\n]*" "" text "${text}")
install_text("${programs}/Zuv_Data" zuvst.tt "${text}")

# The server as a system service, where systemd looks for one: not below a
# home folder.
string(FIND "${prefix}/" "$ENV{HOME}/" below_home)
if(NOT below_home EQUAL 0 OR "$ENV{HOME}" STREQUAL "")
  file(READ "${ZUV_SOURCE_DIR}/data/systemd/zuvd.service" text)
  string(REPLACE "/usr/lib/zuv/zuvd" "${programs}/zuvd" text "${text}")
  install_text("${prefix}/lib/systemd/system" zuvd.service "${text}")
endif()

# What scripts/uninstall removes, kept with the programs so that it needs
# no build folder. It names itself too.
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
install_text("${programs}" install_manifest.txt "${listed}")
file(REMOVE_RECURSE "${staging}")
