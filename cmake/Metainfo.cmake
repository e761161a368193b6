# Writes the game's AppStream metadata (cmake -P), which software centres show: the template with
# the releases of NEWS.md, from the version being installed down to the first, each with its day
# and its items. Sections above this version's are releases still to come and are left out. The
# version being installed may still be undated in NEWS.md: it is then dated by the release time,
# as its Debian changelog is, so that two builds of the same sources write the same bytes.
# Expects NEWS, VERSION, HOMEPAGE, INPUT (the template) and OUTPUT.
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/News.cmake)

zandrel_read_news(${NEWS} news ${VERSION})
list(SUBLIST news_VERSIONS ${news_AT} -1 released)

set(releases "")
set(newer "")
foreach(version IN LISTS released)
  if(newer AND NOT version VERSION_LESS newer)
    message(FATAL_ERROR "${NEWS}: ${version} is below ${newer}, but is not older")
  endif()
  set(newer ${version})

  set(date "${news_${version}_DATE}")
  if(NOT date)
    if(NOT version STREQUAL VERSION)
      message(FATAL_ERROR "${NEWS}: ${version} is released, but its heading has no day; write "
        "\"## ${version} (YYYY-MM-DD)\", with the day the version line moved to ${version}")
    endif()
    string(TIMESTAMP date "%Y-%m-%d" UTC)
  endif()

  # Each item of the news on one line, in XML's characters, without the code quotes.
  set(items "${news_${version}_ENTRY}")
  string(REPLACE "&" "&amp;" items "${items}")
  string(REPLACE "<" "&lt;" items "${items}")
  string(REPLACE ">" "&gt;" items "${items}")
  string(REPLACE "`" "" items "${items}")
  string(REGEX REPLACE "\n  +" " " items "${items}")
  string(REGEX REPLACE "^\n+|\n+$" "" items "${items}")
  if(items STREQUAL "" OR items MATCHES "(^|\n)([^-\n]|-[^ ])")
    message(FATAL_ERROR "${NEWS}: the section of ${version} must be a list of items (\"- \")")
  endif()
  string(REGEX REPLACE "(^|\n)- ([^\n]*)" "\\1          <li>\\2</li>" items "${items}")

  string(APPEND releases
    "    <release version=\"${version}\" date=\"${date}\">\n"
    "      <description>\n"
    "        <ul>\n"
    "${items}\n"
    "        </ul>\n"
    "      </description>\n"
    "    </release>\n")
endforeach()
string(REGEX REPLACE "\n$" "" releases "${releases}")

configure_file(${INPUT} ${OUTPUT} @ONLY)
