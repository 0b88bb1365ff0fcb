# The game as a web page: rustwake.js and rustwake.wasm beside the page (dist/web). The data comes as a
# separate package (scripts/package.sh web DATA OUT), so one build plays any adventure.
add_executable(rustwake ${CMAKE_SOURCE_DIR}/src/platform/web/WebMain.cpp)
target_link_libraries(rustwake PRIVATE rw_platform)
set(RW_WEB_PAGE ${CMAKE_SOURCE_DIR}/dist/web)
# SDL's audio resumes the page's audio context after the first gesture and calls back through dynCall. The
# names begin with '$', which the build tool would take for its own, so they travel in a file.
file(WRITE ${CMAKE_BINARY_DIR}/web-library-funcs.json "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
target_link_options(rustwake PRIVATE
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  -sFORCE_FILESYSTEM=1 -lidbfs.js -sEXIT_RUNTIME=0 -sENVIRONMENT=web
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_BINARY_DIR}/web-library-funcs.json
  # The page starts main itself once the player clicks, reads the game's state and files and passes panel lines.
  "-sEXPORTED_RUNTIME_METHODS=['FS','callMain','UTF8ToString','ccall']")
set_target_properties(rustwake PROPERTIES SUFFIX ".js")
# The page and its script sit beside the program, so the build folder itself can be served.
add_custom_command(TARGET rustwake POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${RW_WEB_PAGE}/index.html ${RW_WEB_PAGE}/page.js
          $<TARGET_FILE_DIR:rustwake>)
