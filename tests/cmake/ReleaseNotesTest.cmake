# The papers that tell a release from NEWS.md (cmake -P): the desktop's metadata lists the releases
# up to the version being made, each with its day, and refuses a released version without one;
# the Debian changelog still takes its one section from dated headings. Expects SOURCE_DIR,
# VERSION (the project's) and WORK (a scratch folder).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
find_program(APPSTREAMCLI appstreamcli)

# Fails unless TEXT holds (or, with NOT, lacks) NEEDLE.
function(expect text needle)
  string(FIND "${text}" "${needle}" at)
  if((ARGN STREQUAL "NOT" AND NOT at EQUAL -1) OR (NOT ARGN AND at EQUAL -1))
    message(FATAL_ERROR "expected ${ARGN} \"${needle}\" in:\n${text}")
  endif()
endfunction()
function(expect_made)
  if(ERRORS)
    message(FATAL_ERROR "${ERRORS}")
  endif()
endfunction()

# Writes the metadata of VERSION from NEWS into OUT.xml, at the first second of 2026 (UTC) by a
# builder whose clock is five hours behind; sets ERRORS, on one line, if that fails.
function(metainfo news version out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=1767225600 TZ=EST5
    ${CMAKE_COMMAND} -DNEWS=${news} -DVERSION=${version} -DHOMEPAGE=https://zandrel.example.org
    -DINPUT=${SOURCE_DIR}/desktop/org.example.zandrel.metainfo.xml.in -DOUTPUT=${WORK}/${out}.xml
    -P ${SOURCE_DIR}/cmake/Metainfo.cmake RESULT_VARIABLE failed ERROR_VARIABLE errors)
  string(REGEX REPLACE "[ \n]+" " " errors "${errors}")
  set(ERRORS "${errors}" PARENT_SCOPE)
  if(failed OR NOT APPSTREAMCLI)
    return()
  endif()
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --strict ${WORK}/${out}.xml
    RESULT_VARIABLE invalid OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(invalid)
    message(FATAL_ERROR "appstreamcli rejects ${out}.xml:\n${report}")
  endif()
endfunction()

# A release still to come above the one being made, which has no day yet.
file(WRITE ${WORK}/NEWS.md [[# Zandrel news

## 2.2.0

- Still to come.

## 2.1.1

- A Thief <and> his gold & `--new`; the
  second line of an item.
- Another item.

## 2.1.0 (2026-12-06)

- Kept games.

## 2.0.0 (2026-12-05)

- The game.
]])

metainfo(${WORK}/NEWS.md 2.1.1 made)
expect_made()
file(READ ${WORK}/made.xml xml)
string(REGEX MATCHALL "<release [^>]*>" releases "${xml}")
set(expected [[<release version="2.1.1" date="2026-01-01">]]
  [[<release version="2.1.0" date="2026-12-06">]] [[<release version="2.0.0" date="2026-12-05">]])
if(NOT releases STREQUAL expected)
  message(FATAL_ERROR "expected the releases ${expected}, not ${releases}")
endif()
expect("${xml}" "<li>A Thief &lt;and&gt; his gold &amp; --new; the second line of an item.</li>
          <li>Another item.</li>")
expect("${xml}" "Still to come" NOT)

# Made a release, 2.2.0 would leave 2.1.1 behind without its day.
metainfo(${WORK}/NEWS.md 2.2.0 refused)
expect("${ERRORS}" "2.1.1 is released, but its heading has no day")
metainfo(${WORK}/NEWS.md 2.3.0 refused)
expect("${ERRORS}" "has no section for version 2.3.0")

find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${CMAKE_COMMAND} -DNEWS=${WORK}/NEWS.md -DPACKAGE=zandrel -DVERSION=2.1.0
  "-DMAINTAINER=Zandrel maintainers <maintainers@example.org>" -DGZIP=${GZIP}
  -DOUTPUT=${WORK}/changelog -P ${SOURCE_DIR}/cmake/DebianChangelog.cmake
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${GZIP} -dc ${WORK}/changelog.gz OUTPUT_VARIABLE changelog
  COMMAND_ERROR_IS_FATAL ANY)
expect("${changelog}" "zandrel (2.1.0) unstable; urgency=low\n\n  * Kept games.\n\n -- Zandrel")

# The project's own news, which a release that forgets a day fails here.
metainfo(${SOURCE_DIR}/NEWS.md ${VERSION} project)
expect_made()
