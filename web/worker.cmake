# Writes the page's worker, sw.js, into a built site: the files it keeps for the page (FILES,
# comma-separated, as the site folder SITE holds them), and the name of their cache, made of the
# release (VERSION) and a digest of those files, so that a browser fetches each build of the page
# once, and a build that changes nothing is not fetched again.
#   cmake -DSITE=folder -DVERSION=2.2.0 -DFILES=a,b -DTEMPLATE=web/sw.js -P web/worker.cmake

string(REPLACE "," ";" FILES "${FILES}")
set(digests "")
foreach(file IN LISTS FILES)
  file(SHA256 ${SITE}/${file} digest)
  string(APPEND digests "${digest} ${file}\n")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING ${digest} 0 12 digest)
set(release "${VERSION}-${digest}")
list(JOIN FILES "', '" files)
set(files "'${files}'")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
