# Installation and the Debian package (`make package`, CPack).
#
# Installed layout: the programs and libkestrel.so together in /usr/lib/tabulo (TABULO_PRIVATE_DIR), as in
# the build tree's lib/tabulo, each program finding what it uses beside itself (the radio library,
# firmloader beside tabulodesk, the tabulo-NAME command programs and the .xls reader beside tabulo); /usr/bin
# holds links to the four programs a user starts.
get_property(installed_programs GLOBAL PROPERTY TABULO_PROGRAMS)
set(linked_programs tabulo kestrel-basesim)
if(TARGET tabulodesk)
  list(APPEND linked_programs tabulodesk firmloader)
endif()
install(TARGETS ${installed_programs} RUNTIME DESTINATION ${TABULO_PRIVATE_DIR})
install(TARGETS kestrel LIBRARY DESTINATION ${TABULO_PRIVATE_DIR} NAMELINK_SKIP)

file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/bin-links)
foreach(program IN LISTS linked_programs)
  file(CREATE_LINK ../${TABULO_PRIVATE_DIR}/${program} ${CMAKE_CURRENT_BINARY_DIR}/bin-links/${program} SYMBOLIC)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/bin-links/${program} DESTINATION bin)
endforeach()

# The manual page, compressed as Debian installs them.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tabulo.1.gz
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/tabulo.1 > ${CMAKE_CURRENT_BINARY_DIR}/tabulo.1.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/tabulo.1)
add_custom_target(tabulo_manual ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tabulo.1.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tabulo.1.gz DESTINATION share/man/man1)

if(TARGET tabulodesk)
  install(FILES packaging/tabulodesk.desktop packaging/firmloader.desktop DESTINATION share/applications)
  install(FILES packaging/tabulodesk.svg packaging/firmloader.svg DESTINATION share/icons/hicolor/scalable/apps)
  # The user guide and its pictures, where the designer's Help > "User guide" (F1) looks for them.
  install(FILES docs/user-guide.md DESTINATION share/doc/tabulo-designer)
  install(DIRECTORY docs/images DESTINATION share/doc/tabulo-designer)
endif()

set(CPACK_PACKAGE_NAME tabulo-designer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tabulo Designer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "menu designer and firmware tool for hand-held restaurant order terminals")
# The extended description, one paragraph a line (CPack indents them and marks the empty ones).
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Prepares the menu of hand-held restaurant order terminals (catalogue, pages, languages, printed cards), sends it to the terminals through the base station and keeps their firmware current."
       ""
       "Programs: tabulodesk (the designer), firmloader (the firmware tool), tabulo (the same work on the command line, man tabulo), kestrel-basesim (a simulated base station) and the radio library libkestrel.so."
       ""
       "Serial ports: a base station on a serial port is opened only by members of the group dialout (sudo adduser USER dialout, then log in again).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tabulo Designer maintainers <maintainers@tabulo.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link, found by dpkg-shlibdeps; then what they use without linking it: fonts
# metric-compatible with the ones the cards are laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_GENERATOR DEB)
include(CPack)
