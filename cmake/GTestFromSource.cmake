# GoogleTest built with the compiler and standard library of this build. Debian's own GoogleTest
# libraries are built by GCC for its standard library, so they link neither into the MinGW cross
# build of the Windows game nor into a build against LLVM's libc++. Debian also ships GoogleTest's
# sources (under /usr/src/googletest), so such a build compiles them, and find_package(GTest) then
# finds this build instead of searching for one. The mingw and libcxx presets run this file right
# after project(zandrel).
include(FetchContent)

set(ZANDREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources built for the tests")

# GoogleMock too, for its matchers; nothing of either is installed with the game.
set(BUILD_GMOCK ON)
set(INSTALL_GTEST OFF)

FetchContent_Declare(GTest SOURCE_DIR "${ZANDREL_GTEST_SOURCE_DIR}" OVERRIDE_FIND_PACKAGE)
FetchContent_MakeAvailable(GTest)
# Only the libraries that the tests link are built.
set_property(DIRECTORY "${gtest_SOURCE_DIR}" PROPERTY EXCLUDE_FROM_ALL TRUE)
