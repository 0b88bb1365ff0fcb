# Saves the demo at several moments of play (F5 in a headless run), as seeds of
# the save fuzzer: cmake -DGAME=<rustwake> -DDEMO=<demo folder> -P DemoSaves.cmake
# writes <demo folder>/saves/<moment>.sav.
set(home "${DEMO}/saves/home")
file(REMOVE_RECURSE "${home}")
file(MAKE_DIRECTORY "${home}")
# moment~location~frames~input (its lines separated by |)
set(moments
  "loc01-walking~loc01~120~1 move 200 400|2 down left|3 up left|100 keydown 116|101 keyup 116"
  "loc01-burst~loc01~80~1 down right|2 up right|5 move 300 380|6 down left|60 keydown 116|61 keyup 116|70 up left"
  "loc02-arrived~loc02~40~30 keydown 116|31 keyup 116"
  "loc03-arrived~loc03~40~30 keydown 116|31 keyup 116")
foreach(moment IN LISTS moments)
  string(REPLACE "~" ";" parts "${moment}")
  list(GET parts 0 name)
  list(GET parts 1 location)
  list(GET parts 2 frames)
  list(GET parts 3 input)
  string(REPLACE "|" "\n" input "${input}")
  file(WRITE "${home}/input.txt" "${input}\n")
  file(REMOVE "${home}/data/rustwake/saves/quick.sav")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "XDG_DATA_HOME=${home}/data" "XDG_CONFIG_HOME=${home}/config"
            "XDG_STATE_HOME=${home}/state" "XDG_PICTURES_DIR=${home}/pictures" SDL_VIDEODRIVER=dummy
            SDL_AUDIODRIVER=dummy
            "${GAME}" --headless --frames ${frames} --seed 1 --data "${DEMO}" --map "data\\locations\\${location}.map"
            --input "${home}/input.txt"
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0 OR NOT EXISTS "${home}/data/rustwake/saves/quick.sav")
    message(FATAL_ERROR "the demo was not saved at ${name} (exit ${result})")
  endif()
  file(COPY_FILE "${home}/data/rustwake/saves/quick.sav" "${DEMO}/saves/${name}.sav")
endforeach()
file(REMOVE_RECURSE "${home}")
