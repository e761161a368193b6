# The papers of the Debian package, as Debian asks them of every package: in
# /usr/share/doc/zandrel the licence as a machine-readable copyright file, the changelog in
# Debian's format and the README gzipped (Debian compresses documents over 4 kB); and a note
# to lintian on the one finding it cannot judge.
set(zandrel_debian ${CMAKE_CURRENT_BINARY_DIR}/debian)

# The copyright file (Debian's machine-readable format) takes the copyright line and the text of
# LICENSE; Expat is Debian's name for this MIT licence.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE zandrel_licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT zandrel_licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no copyright line followed by the licence text")
endif()
set(zandrel_copyright "${CMAKE_MATCH_1}")
# The text is indented one space, and its empty lines are written as " .".
string(REPLACE "\n\n" "\n.\n" zandrel_licence "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " zandrel_licence " ${zandrel_licence}")
file(CONFIGURE OUTPUT ${zandrel_debian}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: @CPACK_PACKAGE_NAME@
Upstream-Contact: @CPACK_PACKAGE_CONTACT@
Source: @CPACK_PACKAGE_HOMEPAGE_URL@

Files: *
Copyright: @zandrel_copyright@
License: Expat
@zandrel_licence@
")
install(FILES ${zandrel_debian}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog is written as the package is made, since its date is the package's.
install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\"
  \"-DNEWS=${PROJECT_SOURCE_DIR}/NEWS.md\" \"-DPACKAGE=${CPACK_PACKAGE_NAME}\" \"-DVERSION=${PROJECT_VERSION}\"
  \"-DMAINTAINER=${CPACK_PACKAGE_CONTACT}\" \"-DGZIP=${ZANDREL_GZIP}\" \"-DOUTPUT=${zandrel_debian}/changelog\"
  -P \"${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${zandrel_debian}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

zandrel_install_gzipped(${PROJECT_SOURCE_DIR}/README.md ${CMAKE_INSTALL_DOCDIR})

