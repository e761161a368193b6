# What we hand out: the papers that go with the game, and the packages CPack makes of it,
# a Debian package on Linux and a zip of the program and its papers on Windows.
set(CPACK_PACKAGE_NAME zandrel)
set(CPACK_PACKAGE_VENDOR "Zandrel")
set(CPACK_PACKAGE_CONTACT "Zandrel maintainers <maintainers@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zandrel.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn-based fantasy adventure in a text console")
# Kept in short lines: Debian shows the description as it is written.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Pick one of seven classes (Knight, Ogre, Wizard, Priest, Merchant, Thief"
  "or Undead) and cross the three regions of a board to defeat the Boss of"
  "the inner region. Each turn one die picks a space: adventure cards, a"
  "shop, a battle by Strength or by Craft, or a guarded crossing. Spell"
  "scrolls of Escape, Berserk and Heal are spent before battles. The game"
  "reads one answer per line, so a file of answers plays a whole game.")

# The licence travels with every copy of the game we hand out.
if(ZANDREL_DEBIAN_PACKAGE)
  include(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)
else()
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# Where desktops keep menus (Linux and the BSDs), the game is in them.
if(UNIX AND NOT APPLE)
  add_subdirectory(${PROJECT_SOURCE_DIR}/desktop ${PROJECT_BINARY_DIR}/desktop)
endif()

set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The game links the C and C++ libraries dynamically; dpkg-shlibdeps names the packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Two builds of the same sources make the same package, byte for byte: every file and archive
# is dated by the release time, not the time of packing, and the modes of the package's own
# members do not follow the packer's umask.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebMemberModes.cmake)
include(CPack)
