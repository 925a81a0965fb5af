# cmake --install: the program, its link library, the simulator, tavrin-cli with its manual page
# and the sweep service (in cli/), the manual, the desktop entry and the icon (the last two in
# app/shell, the manual and the program's manual page in docs). cpack -G DEB: a Debian package that
# lintian accepts.
install(TARGETS Tavrin LIBRARY DESTINATION ${TAVRIN_INSTALL_PRIVATE_LIBDIR})
install(TARGETS tavrin-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian's copyright file and changelog (native package: changelog.gz).
set(TAVRIN_DEBIAN ${PROJECT_SOURCE_DIR}/cmake/debian)
set(TAVRIN_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TAVRIN_CHANGELOG}
                   COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${TAVRIN_DEBIAN}/changelog ${TAVRIN_CHANGELOG}
                   DEPENDS ${TAVRIN_DEBIAN}/changelog VERBATIM)
add_custom_target(tavrin_changelog ALL DEPENDS ${TAVRIN_CHANGELOG})
install(FILES ${TAVRIN_DEBIAN}/copyright ${TAVRIN_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrinremote)

set(CPACK_PACKAGE_NAME tavrinremote)
set(CPACK_PACKAGE_VENDOR "Norvale")
set(CPACK_PACKAGE_CONTACT "TavrinRemote maintainers <tavrinremote@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control for the Tavrin swept spectrum analyzer")
# Lines of at most 80 characters; an empty line between paragraphs.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "TavrinRemote remote-controls the Tavrin swept spectrum analyzer over an\n"
       "RS-232 line: live trace, averaging, markers, limit lines, recording and\n"
       "playback, the waterfall, capture, printed report and the tracking generator.\n"
       "\n"
       "tavrin-cli measures from scripts without a display: info, set, sweeps to\n"
       "CSV, survey CSV, record files, JSON lines and an MQTT broker, peak, tracking\n"
       "generator and convert. tavrin-sweep@.service runs a sweep per COM port for\n"
       "months. tavrin-sim, the analyzer simulator, is included.\n"
       "\n"
       "Users need to be in the dialout group to open serial ports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The exact versions come from dpkg-shlibdeps (package dpkg-dev) when it is there.
find_program(TAVRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TAVRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6, libqt6printsupport6, libqt6gui6, libqt6serialport6, libqt6core6, libmosquitto1, libstdc++6, libc6")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Our own maintainer scripts take the place of those CPack would write, which call ldconfig for a
# library in a private folder that ldconfig never looks at.
# conffiles: what is in /etc/tavrin stays the administrator's on upgrades.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TAVRIN_DEBIAN}/postinst ${TAVRIN_DEBIAN}/postrm ${TAVRIN_DEBIAN}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
