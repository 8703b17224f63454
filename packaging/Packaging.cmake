# What is installed, and the Debian package CPack makes of it (scripts/package).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS brindlecast brindlecast-record brindlecast-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The process that draws the service's pages, started by the program.
install(TARGETS brindlecast-web RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/brindlecast)
if(BC_WINE_HELPER)
  install(PROGRAMS ${BC_WINE_HELPER} DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/brindlecast)
endif()
install(FILES resources/brindlecast.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/net.brindlecast.Brindlecast.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES packaging/icons/brindlecast-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME brindlecast.png)
endforeach()
install(FILES packaging/icons/brindlecast.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages and the package's changelog go in compressed, as Debian has them.
find_program(BC_GZIP gzip REQUIRED)
set(BC_COMPRESSED)
foreach(page brindlecast.1 brindlecast-record.1 brindlecast-service.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${BC_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/packaging/man/${page} > ${CMAKE_BINARY_DIR}/packaging/${page}.gz
    DEPENDS packaging/man/${page})
  list(APPEND BC_COMPRESSED ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${BC_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS packaging/changelog)
list(APPEND BC_COMPRESSED ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(bc_packaging_files ALL DEPENDS ${BC_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindlecast)

# The service for a group: a unit that is installed, not enabled.
install(FILES packaging/brindlecast-service.service DESTINATION /lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlecast)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brindlecast maintainers <maintainers@brindlecast.net>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://brindlecast.net/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries it links: the program it runs to encode, and the Qt plugin it
# draws its windows with (loaded, not linked).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line is the synopsis; CPack indents the rest as Debian wants it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "poker table recorder that keeps the last minutes
Brindlecast sits in the tray beside poker programs running under Wine,
spots their table windows and follows each table with a small recorder.
It keeps only the last minutes of each table, with the microphone's
sound, so that a hand worth keeping is saved with one click after it
happened, trimmed in its editor and uploaded under the user's account.

The package also holds brindlecast-record, which records from the
command line, and brindlecast-service, the web service, with a systemd
unit for people who host it for a group.")
include(CPack)
