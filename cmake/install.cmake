# What `cmake --install` puts where, and the Debian package built from it
# (scripts/package-deb.sh): the program, its menu entry, its icon at every
# hicolor size (drawn by tools/make_images.py), the man page and the demo
# world that "tessel --demo" starts.
include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(TESSEL_ICON_SIZES 16 24 32 48 64 128 256)
set(icon_files "")
foreach(size ${TESSEL_ICON_SIZES})
  list(APPEND icon_files ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tessel.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_images.py --icons ${CMAKE_BINARY_DIR}/icons
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_images.py
  COMMENT "Drawing the desktop icon")
# Man pages are installed compressed, as Debian's policy asks.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tessel.6.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/tessel.6 > ${CMAKE_BINARY_DIR}/tessel.6.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/data/tessel.6)
add_custom_target(tessel_desktop_files ALL DEPENDS ${icon_files} ${CMAKE_BINARY_DIR}/tessel.6.gz)

install(TARGETS tessel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/tessel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${TESSEL_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tessel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/tessel.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tests/e2e/demo_world.py DESTINATION ${CMAKE_INSTALL_DATADIR}/tessel)

set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessel developers")
set(CPACK_PACKAGE_CONTACT "Tessel developers <tessel@karthem.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for Karthem, a text-based multiplayer online game")
# The summary is the first line; CPack indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tessel connects to the Karthem game server over TLS and shows the game's
coloured text in a scrollback, with a command line, keypad walking,
function-key aliases, status bars, channel tabs, popup windows and sound
effects driven by the data the server sends with the text. With --demo it
plays a small bundled demo world on this computer.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.karthem.net/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies come from dpkg-shlibdeps, from what the program
# actually links; the demo world needs an interpreter and the openssl command.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, openssl")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
