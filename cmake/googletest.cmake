# GoogleTest for the tests, whatever the target.

## murel_use_googletest(): makes the targets GTest::gtest and GTest::gtest_main available in the
## calling directory. A native build takes the installed package (Debian's libgtest-dev). A MinGW
## build has no package built for its target, so it builds GoogleTest from Debian's sources in
## /usr/src/googletest with the project's own compiler.
function(murel_use_googletest)
  if(MINGW)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()
