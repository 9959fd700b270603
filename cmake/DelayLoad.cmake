# System libraries the first window does not need are loaded at their first call, not
# at start: Wine spends a noticeable time on each, and on what each pulls in. GNU ld has
# no --delayload; dlltool makes a delay-import library from a list of the functions we
# call (cmake/delay-load/<name>.def). A function missing from a list fails the link.
find_program(NORVIK_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)

# norvik_delay_loaded(name): the interface target norvik_<name>_delayed stands for the
# library in a link line.
function(norvik_delay_loaded name)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delay-load/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay-load/lib${name}_delayed.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay-load
    COMMAND ${NORVIK_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
    DEPENDS ${def}
    VERBATIM)
  add_custom_target(norvik_${name}_delayed_lib DEPENDS ${lib})
  add_library(norvik_${name}_delayed INTERFACE)
  add_dependencies(norvik_${name}_delayed norvik_${name}_delayed_lib)
  # The helper that loads the library and binds the function at the first call.
  target_link_libraries(norvik_${name}_delayed INTERFACE ${lib} delayimp)
endfunction()

foreach(name shell32 ole32 wininet comdlg32)
  norvik_delay_loaded(${name})
endforeach()
