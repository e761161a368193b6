# GoogleTest for the Windows build. Debian ships GoogleTest's sources (googletest, under
# /usr/src/googletest) but no MinGW build of it, so the cross build compiles it from those
# sources, and find_package(GTest) then finds this build instead of searching for one.
# The mingw preset runs this file right after project(zandrel).
include(FetchContent)

set(ZANDREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built for the tests")

# GoogleMock too, for its matchers; nothing of either is installed with the game.
set(BUILD_GMOCK ON)
set(INSTALL_GTEST OFF)

FetchContent_Declare(GTest SOURCE_DIR "${ZANDREL_GTEST_SOURCE_DIR}" OVERRIDE_FIND_PACKAGE)
FetchContent_MakeAvailable(GTest)
# Only the libraries that the tests link are built.
set_property(DIRECTORY "${gtest_SOURCE_DIR}" PROPERTY EXCLUDE_FROM_ALL TRUE)
