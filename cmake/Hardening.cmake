# Optimised builds of the game for Linux are hardened as Debian hardens its own packages:
# checked variants of the C library's buffer calls, canaries on stack frames that hold arrays,
# a position-independent executable that the loader can place anywhere, and relocations made
# read-only before the game starts. Debug builds are left alone (glibc warns that the checked
# calls need optimisation, and warnings can be errors there), and so are the Windows and web
# builds, whose toolchains harden differently. Builders who pass their own flags (a
# distribution's, or the sanitizers') turn this off.
option(ZANDREL_HARDENING "Harden optimised Linux builds: fortified calls, stack protector, PIE, full RELRO" ON)

if(ZANDREL_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(zandrel_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  # Some compilers already define _FORTIFY_SOURCE, at another level; redefining it would warn.
  add_compile_options("$<${zandrel_optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
  add_link_options("$<${zandrel_optimised}:LINKER:-z,relro;LINKER:-z,now>")

  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
