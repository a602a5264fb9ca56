# The libraries of the program beside zlib and libgcrypt: brotli's decoder, zstd's decompressor,
# SQLite, snappy (each optional) and xxHash.
#
# A native build takes Debian's -dev packages. Debian ships none of them built for MinGW, so with
# MUREL_LIBRARIES_FROM_SOURCE (the default of the MinGW builds) they are built here, statically,
# from Debian's own source packages, which scripts/install-deps fetches with apt-get source into
# MUREL_DEBIAN_SOURCES (one folder per source package, Debian's patches applied). Only the parts
# the program uses are compiled: brotli's decoder, zstd's decompressor, SQLite's amalgamation,
# snappy's decompressor, xxHash.

set(MUREL_DEBIAN_SOURCES_DEFAULT /var/cache/murel-src)
if(NOT EXISTS ${MUREL_DEBIAN_SOURCES_DEFAULT} AND EXISTS $ENV{HOME}/.cache/murel-src)
  set(MUREL_DEBIAN_SOURCES_DEFAULT $ENV{HOME}/.cache/murel-src)
endif()
set(MUREL_DEBIAN_SOURCES ${MUREL_DEBIAN_SOURCES_DEFAULT} CACHE PATH
  "The folder where scripts/install-deps unpacked the Debian source packages")

## murel_debian_source(<package> <dir-var>): sets <dir-var> to the unpacked Debian source package
## <package> and prints its Debian version in the build log. Stops the configuration when it is
## not there, saying how to get it.
function(murel_debian_source package dir_var)
  set(dir ${MUREL_DEBIAN_SOURCES}/${package})
  if(NOT EXISTS ${dir}/debian/changelog)
    message(FATAL_ERROR "No Debian source of ${package} in ${dir}: run scripts/install-deps, or "
      "set MUREL_DEBIAN_SOURCES to the folder that holds it")
  endif()
  # The changelog's first line names the version: "brotli (1.0.9-2) unstable; urgency=medium".
  file(STRINGS ${dir}/debian/changelog first LIMIT_COUNT 1)
  string(REGEX MATCH "\\(([^)]+)\\)" match "${first}")
  message(STATUS "${package}: Debian source package ${CMAKE_MATCH_1} from ${dir}")
  set(${dir_var} ${dir} PARENT_SCOPE)
endfunction()

## murel_add_brotli_decoder(): the target murel_brotlidec, brotli's decoder.
function(murel_add_brotli_decoder)
  if(MUREL_LIBRARIES_FROM_SOURCE)
    murel_debian_source(brotli dir)
    file(GLOB sources ${dir}/c/common/*.c ${dir}/c/dec/*.c)
    add_library(murel_brotlidec STATIC ${sources})
    target_include_directories(murel_brotlidec SYSTEM PUBLIC ${dir}/c/include)
  else()
    pkg_check_modules(BROTLIDEC REQUIRED IMPORTED_TARGET libbrotlidec)
    add_library(murel_brotlidec INTERFACE)
    target_link_libraries(murel_brotlidec INTERFACE PkgConfig::BROTLIDEC)
  endif()
endfunction()

## murel_add_zstd_decompressor(): the target murel_zstd, zstd's decompressor.
function(murel_add_zstd_decompressor)
  if(MUREL_LIBRARIES_FROM_SOURCE)
    murel_debian_source(libzstd dir)
    file(GLOB sources ${dir}/lib/common/*.c ${dir}/lib/decompress/*.c)
    add_library(murel_zstd STATIC ${sources})
    target_include_directories(murel_zstd SYSTEM PUBLIC ${dir}/lib)
    # The x86_64 assembly is written for ELF objects; the C loops do the same on Windows. Frames
    # of zstd's pre-1.0 formats are no HTTP content coding, so their decoders stay out.
    target_compile_definitions(murel_zstd PRIVATE ZSTD_DISABLE_ASM=1 ZSTD_LEGACY_SUPPORT=0)
  else()
    pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
    add_library(murel_zstd INTERFACE)
    target_link_libraries(murel_zstd INTERFACE PkgConfig::ZSTD)
  endif()
endfunction()

## murel_add_sqlite(): the target murel_sqlite3, the SQLite library.
function(murel_add_sqlite)
  if(NOT MUREL_LIBRARIES_FROM_SOURCE)
    find_package(SQLite3 REQUIRED)
    add_library(murel_sqlite3 INTERFACE)
    target_link_libraries(murel_sqlite3 INTERFACE SQLite::SQLite3)
    return()
  endif()
  murel_debian_source(sqlite3 dir)
  # The amalgamation (sqlite3.c, sqlite3.h) is generated from the source tree by SQLite's own
  # makefile, with Tcl scripts and small generators built for the host.
  find_program(MUREL_MAKE NAMES make gmake REQUIRED)
  find_program(MUREL_TCLSH NAMES tclsh tclsh8.6 REQUIRED)
  find_program(MUREL_HOST_CC NAMES cc gcc REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/sqlite-amalgamation)
  file(MAKE_DIRECTORY ${out})
  add_custom_command(OUTPUT ${out}/sqlite3.c ${out}/sqlite3.h
    COMMAND ${MUREL_MAKE} -s -f ${dir}/main.mk TOP=${dir} BCC=${MUREL_HOST_CC}
      TCC=${MUREL_HOST_CC} NAWK=awk TCLSH_CMD=${MUREL_TCLSH} sqlite3.c
    WORKING_DIRECTORY ${out}
    DEPENDS ${dir}/debian/changelog
    COMMENT "Generating SQLite's amalgamation from ${dir}")
  add_library(murel_sqlite3 STATIC ${out}/sqlite3.c)
  target_include_directories(murel_sqlite3 SYSTEM PUBLIC ${out})
  # The program opens databases through its own read-only file layer and loads no extension.
  target_compile_definitions(murel_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION=1)
endfunction()

## murel_add_snappy(): the target murel_snappy, snappy (Firefox's CacheStorage bodies).
function(murel_add_snappy)
  if(NOT MUREL_LIBRARIES_FROM_SOURCE)
    if(MUREL_STATIC_RUNTIME)
      find_library(SNAPPY_STATIC_LIBRARY NAMES libsnappy.a REQUIRED)
      set(library ${SNAPPY_STATIC_LIBRARY})
    else()
      find_library(SNAPPY_LIBRARY NAMES snappy REQUIRED)
      set(library ${SNAPPY_LIBRARY})
    endif()
    find_path(SNAPPY_INCLUDE_DIR snappy.h REQUIRED)
    add_library(murel_snappy INTERFACE)
    target_link_libraries(murel_snappy INTERFACE ${library})
    target_include_directories(murel_snappy SYSTEM INTERFACE ${SNAPPY_INCLUDE_DIR})
    return()
  endif()
  murel_debian_source(snappy dir)
  # snappy-stubs-public.h and config.h are made from their templates as snappy's own CMake build
  # makes them, for GCC on a little-endian x86 without SSSE3 or BMI2 required.
  set(out ${CMAKE_BINARY_DIR}/snappy-generated)
  file(STRINGS ${dir}/CMakeLists.txt version REGEX "^project\\(Snappy VERSION")
  string(REGEX MATCH "([0-9]+)\\.([0-9]+)\\.([0-9]+)" version "${version}")
  set(PROJECT_VERSION_MAJOR ${CMAKE_MATCH_1})
  set(PROJECT_VERSION_MINOR ${CMAKE_MATCH_2})
  set(PROJECT_VERSION_PATCH ${CMAKE_MATCH_3})
  set(HAVE_SYS_UIO_H_01 0)
  configure_file(${dir}/snappy-stubs-public.h.in ${out}/snappy-stubs-public.h)
  set(HAVE_ATTRIBUTE_ALWAYS_INLINE 1)
  set(HAVE_BUILTIN_CTZ 1)
  set(HAVE_BUILTIN_EXPECT 1)
  set(HAVE_WINDOWS_H ${WIN32})
  set(SNAPPY_HAVE_SSSE3 0)
  set(SNAPPY_HAVE_BMI2 0)
  configure_file(${dir}/cmake/config.h.in ${out}/config.h)
  add_library(murel_snappy STATIC ${dir}/snappy.cc ${dir}/snappy-sinksource.cc
    ${dir}/snappy-stubs-internal.cc)
  target_include_directories(murel_snappy SYSTEM PUBLIC ${dir} ${out})
  target_compile_definitions(murel_snappy PRIVATE HAVE_CONFIG_H=1)
endfunction()

## murel_add_xxhash(): the target murel_xxhash, xxHash (the hash of the listing "urls.txt").
function(murel_add_xxhash)
  if(MUREL_LIBRARIES_FROM_SOURCE)
    murel_debian_source(xxhash dir)
    add_library(murel_xxhash STATIC ${dir}/xxhash.c)
    target_include_directories(murel_xxhash SYSTEM PUBLIC ${dir})
    return()
  endif()
  # A C library: shared, as the other C libraries are, so that the system's updates reach it.
  pkg_check_modules(XXHASH REQUIRED IMPORTED_TARGET libxxhash)
  add_library(murel_xxhash INTERFACE)
  target_link_libraries(murel_xxhash INTERFACE PkgConfig::XXHASH)
endfunction()
