# cmake --install: the program, its link library, the simulator, tavrin-cli with its manual page
# (in cli/), the manual, the desktop entry and the icon (the last two in app/shell, the manual in
# docs). cpack -G DEB: a Debian package.
install(TARGETS Tavrin LIBRARY DESTINATION ${TAVRIN_INSTALL_PRIVATE_LIBDIR})
install(TARGETS tavrin-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME tavrinremote)
set(CPACK_PACKAGE_VENDOR "Norvale")
set(CPACK_PACKAGE_CONTACT "TavrinRemote maintainers <tavrinremote@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control for the Tavrin swept spectrum analyzer")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "TavrinRemote remote-controls the Tavrin swept spectrum analyzer over an RS-232 line: live trace, "
       "averaging, markers, limit lines, recording and playback, capture, printed report and the tracking "
       "generator. tavrin-cli measures from scripts without a display (info, set, sweep to CSV, record files "
       "and JSON lines, peak, tracking generator, convert). tavrin-sim, the analyzer simulator, is included. "
       "Users need to be in the dialout group "
       "to open serial ports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The exact versions come from dpkg-shlibdeps (package dpkg-dev) when it is there.
find_program(TAVRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TAVRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6printsupport6, libqt6gui6, libqt6serialport6, libqt6core6, libstdc++6, libc6")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
