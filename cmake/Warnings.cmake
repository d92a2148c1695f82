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

# GCC 12 reports a false -Wrestrict inside std::string's operator+ at -O2
# (GCC bug 105651); nothing in this project's code is concerned.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
