# Run by CPack on the staged package: Debian keeps the programs of a game in /usr/games. The game
# still finds its data from there (/usr/games/../share/rustwake).
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(GLOB programs "${usr}/bin/*")
if(programs)
  file(MAKE_DIRECTORY "${usr}/games")
  foreach(program ${programs})
    get_filename_component(name "${program}" NAME)
    file(RENAME "${program}" "${usr}/games/${name}")
  endforeach()
  file(REMOVE_RECURSE "${usr}/bin")
endif()
