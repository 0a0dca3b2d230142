# Installs Quillora like a Linux game:
#   bin/quillora                         launcher: starts the game in its data folder
#   libexec/quillora/quillora            the game itself
#   share/quillora/Shader, Util/Files    the data the game reads relative to where it runs
#   share/applications/quillora.desktop  menu entry, with "Play in a window" and "Play fullscreen"
#   share/metainfo/*.metainfo.xml        what software centres show
#   share/icons/hicolor/*/apps/quillora.png
# The launcher finds the rest relative to itself, so the tree works under any prefix and DESTDIR.
include(GNUInstallDirs)

set(QUILLORA_EXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quillora)
set(QUILLORA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillora)

install(TARGETS quillora RUNTIME DESTINATION ${QUILLORA_EXEC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Shader DESTINATION ${QUILLORA_DATA_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Util/Files DESTINATION ${QUILLORA_DATA_DIR}/Util
        PATTERN "README*" EXCLUDE)

# Paths from bin/ to the game and its data, computed on a stand-in prefix: they only depend on
# the relative install directories.
file(RELATIVE_PATH QUILLORA_BIN_TO_EXE /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QUILLORA_EXEC_DIR}/quillora)
file(RELATIVE_PATH QUILLORA_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QUILLORA_DATA_DIR})
configure_file(${CMAKE_SOURCE_DIR}/dist/quillora.sh.in ${CMAKE_BINARY_DIR}/dist/quillora @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/dist/quillora DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_SOURCE_DIR}/dist/io.github.quillora.quillora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size 48 256)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/quillora-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillora.png)
endforeach()

# The menu entry names the launcher by its full path, which is known only when installing
# (cmake --install --prefix may differ from the configured prefix).
install(CODE "
  set(QUILLORA_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillora\")
  set(desktop_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/quillora.desktop\")
  message(STATUS \"Installing: \${desktop_file}\")
  set(QUILLORA_DESKTOP_IN \"${CMAKE_SOURCE_DIR}/dist/quillora.desktop.in\")
  set(QUILLORA_DESKTOP_OUT \"\${desktop_file}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/DesktopEntry.cmake\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${desktop_file}\")
")

# The manual page and the change log, compressed as Debian keeps them.
foreach(doc quillora.6 changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/${doc})
  execute_process(COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/dist/${doc}
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/dist/${doc}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/dist/quillora.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillora)
