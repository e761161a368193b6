# NEWS.md, read once for every paper that tells what a release holds (the Debian changelog, the
# desktop's release notes). Each release is a section headed "## VERSION", newest first, and a
# released version carries the day it was made, the day the project's version line moved to it:
# "## 2.1.0 (2026-12-06)". The version being made may go undated until then.

# zandrel_read_news(FILE PREFIX [VERSION]) sets PREFIX_VERSIONS to the versions in the order NEWS
# lists them, and for each version PREFIX_<version>_DATE (empty if undated) and
# PREFIX_<version>_ENTRY (the section's text beneath its heading, which may hold semicolons: quote
# it). Given the version being made, which NEWS must have, it sets PREFIX_AT to where it stands.
function(zandrel_read_news news prefix)
  file(READ ${news} text)
  set(versions)
  string(FIND "${text}" "\n## " at)
  while(NOT at EQUAL -1)
    math(EXPR at "${at} + 4")
    string(SUBSTRING "${text}" ${at} -1 text)
    string(FIND "${text}" "\n" end)
    string(SUBSTRING "${text}" 0 ${end} heading)
    set(day "[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]")
    if(NOT heading MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+)( \\((${day})\\))?$")
      message(FATAL_ERROR "${news}: \"## ${heading}\" is not a version, with the day it was made "
        "in brackets once it is released: \"## 2.1.0 (2026-12-06)\"")
    endif()
    set(version ${CMAKE_MATCH_1})
    list(FIND versions ${version} listed)
    if(NOT listed EQUAL -1)
      message(FATAL_ERROR "${news} has two sections for version ${version}")
    endif()
    list(APPEND versions ${version})
    set(${prefix}_${version}_DATE "${CMAKE_MATCH_3}" PARENT_SCOPE)
    string(SUBSTRING "${text}" ${end} -1 text)
    string(FIND "${text}" "\n## " at)
    string(SUBSTRING "${text}" 0 ${at} entry)
    set(${prefix}_${version}_ENTRY "${entry}" PARENT_SCOPE)
  endwhile()
  set(${prefix}_VERSIONS ${versions} PARENT_SCOPE)
  if(ARGC GREATER 2)
    list(FIND versions ${ARGV2} at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${news} has no section for version ${ARGV2}")
    endif()
    set(${prefix}_AT ${at} PARENT_SCOPE)
  endif()
endfunction()
