# A .deb is an ar archive of three members, and CPack gives each member the permissions its
# file had on disk, which follow the umask of whoever packs: 0644 under umask 022, 0664 under
# 002. dpkg never reads them, but they would make two builds of the same package differ, so
# CPack runs this script on each package it has made (CPACK_POST_BUILD_SCRIPTS) to set every
# member's mode to 0644. An ar member header is 60 bytes of fixed-width text: the name (16),
# time (12), owner (6), group (6), mode in octal (8), size (10) and a closing "`\n".
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(READ ${package} magic LIMIT 8)
  if(NOT magic STREQUAL "!<arch>\n")
    message(FATAL_ERROR "${package} is not an ar archive")
  endif()
  file(SIZE ${package} package_size)
  set(header 8)
  while(header LESS package_size)
    file(READ ${package} fields OFFSET ${header} LIMIT 60)
    string(SUBSTRING "${fields}" 48 12 size_and_end)
    if(NOT size_and_end MATCHES "^([0-9]+) *`\n$")
      message(FATAL_ERROR "${package}: no ar member header at byte ${header}")
    endif()
    set(member_size ${CMAKE_MATCH_1})
    math(EXPR mode_at "${header} + 40")
    execute_process(COMMAND printf "100644  "
      COMMAND dd of=${package} bs=1 seek=${mode_at} conv=notrunc status=none
      COMMAND_ERROR_IS_FATAL ANY)
    # Members start at even offsets.
    math(EXPR header "${header} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endforeach()
