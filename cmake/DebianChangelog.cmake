# Writes the changelog of the Debian package, gzipped, when the package is made (cmake -P):
# the entry of this version in NEWS.md, turned into Debian's changelog format (which lintian and
# dpkg-parsechangelog read), dated by the release time so that the package is reproducible.
# Expects NEWS, PACKAGE, VERSION, MAINTAINER, GZIP and OUTPUT (the changelog, beside its .gz).
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/News.cmake)

zandrel_read_news(${NEWS} news ${VERSION})
set(entry "${news_${VERSION}_ENTRY}")

# Markdown to a changelog entry: items become "  * ", their continued lines and other text are
# indented beneath, code quotes go.
string(REPLACE "\n  " "\n    " entry "${entry}")
string(REPLACE "\n- " "\n  * " entry "${entry}")
string(REGEX REPLACE "\n([^ \n])" "\n  \\1" entry "${entry}")
string(REPLACE "`" "" entry "${entry}")
string(REGEX REPLACE "^\n+|\n+$" "" entry "${entry}")

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${OUTPUT} "${PACKAGE} (${VERSION}) unstable; urgency=low\n\n${entry}\n\n -- ${MAINTAINER}  ${date}\n")
execute_process(COMMAND ${GZIP} -9nf ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
