# quorvo_target_warnings(<target>): the project's warning set for our own code.
function(quorvo_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor)
  if(QUORVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# quorvo_add_library(<name> SOURCES... [DEPS...]) is deliberately not provided:
# each subsystem's CMakeLists.txt states its sources and dependencies plainly.
