# wendax_warnings(target): the project's warning set, errors in CI builds.
option(WENDAX_WERROR "Treat warnings as errors" OFF)

function(wendax_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough)
  if(WENDAX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
