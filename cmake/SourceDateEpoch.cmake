# The time this release of the game was made, in seconds since 1970 (UTC), as reproducible builds
# name it: SOURCE_DATE_EPOCH. Every date the Debian package records (the times of its files and of
# its archives, the date of its changelog) is this one, so two builds of the same sources give the
# same bytes, wherever and whenever they are made. A value the builder set is kept; otherwise it
# is the time of the last commit of the sources, or, outside a git checkout (an unpacked source
# archive), 2026-01-01 00:00:00 UTC.
#
# CPack runs this file before it installs and packs (CPACK_PROJECT_CONFIG_FILE), and so does the
# script that writes the changelog; both leave the time in the environment for what follows.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(zandrel_release_time 1767225600)
  find_program(ZANDREL_GIT git)
  if(ZANDREL_GIT)
    # The last commit that touched these sources: in a checkout of the game that is the last
    # commit; for an unpacked archive inside someone else's repository there is none.
    execute_process(COMMAND ${ZANDREL_GIT} log -1 --format=%ct -- .
      WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/..
      OUTPUT_VARIABLE zandrel_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET)
    if(zandrel_commit_time MATCHES "^[0-9]+$")
      set(zandrel_release_time ${zandrel_commit_time})
    endif()
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${zandrel_release_time})
endif()
