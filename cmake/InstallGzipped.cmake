find_program(ZANDREL_GZIP gzip)

# Installs a file gzipped where Unix systems keep such files so (manual pages, and the larger
# documents of a Debian package), and as it is elsewhere. -n leaves the name and time out of
# the gzip header, so the same file always packs to the same bytes.
function(zandrel_install_gzipped source destination)
  get_filename_component(name "${source}" NAME)
  if(UNIX AND ZANDREL_GZIP)
    add_custom_command(OUTPUT ${name}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${name}
      COMMAND ${ZANDREL_GZIP} -9nf ${name}
      DEPENDS ${source}
      VERBATIM)
    add_custom_target(zandrel_gzip_${name} ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${destination})
  else()
    install(FILES ${source} DESTINATION ${destination})
  endif()
endfunction()
