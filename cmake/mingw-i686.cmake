# Toolchain for 32-bit Windows: MinGW-w64 (i686-w64-mingw32, posix thread
# model) from Debian, with test programs run under Wine.
#
#   .ci/windows-deps            # compilers, Wine, cross-built ICU and GoogleTest
#   cmake --preset windows-x86  # or -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
#
# QUENZEL_WINDOWS_DEPS names the folder .ci/windows-deps filled (default: the
# environment's QUENZEL_WINDOWS_DEPS or QUENZEL_DEPS_CACHE, else
# /var/cache/quenzel). Every "*-i686" prefix in it (ICU, GoogleTest, the
# header-only libraries) is searched by find_package and friends, and nothing
# of the build machine's own /usr is.
#
# Runtime: programs and DLLs link the GCC runtime as DLLs (libgcc_s_dw2-1.dll
# on i686, libgcc_s_seh-1.dll on x86_64, libstdc++-6.dll, libwinpthread-1.dll),
# so that every module of a process shares one copy of it. On i686 an
# exception unwinds through the DWARF-2 tables that libgcc registers per copy:
# with a static copy in quenzel.dll and another in the host, a throw cannot
# cross from one module into the other and ends the process. x86_64 unwinds
# through the system's tables and would survive static copies; it follows the
# same rule so that one deployment (the same runtime DLLs beside the
# library's) serves both, and so that the 64-bit tests, which run on every
# machine, exercise it. `cmake --install` copies the runtime DLLs into bin/,
# together with ICU's icuuc<N>.dll and icudt<N>.dll from <deps>/icu-<N>-<arch>/bin.
# (ICU keeps its own static runtime: its C interface throws nothing across.)

set(CMAKE_SYSTEM_NAME Windows)
# cmake/mingw-x86_64.cmake reads this file for the 64-bit build.
if(NOT QUENZEL_MINGW_ARCH)
  set(QUENZEL_MINGW_ARCH i686)
endif()
if(QUENZEL_MINGW_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(_quenzel_wine_arch win64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(_quenzel_wine_arch win32)
endif()
set(QUENZEL_MINGW_TARGET ${QUENZEL_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${QUENZEL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENZEL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENZEL_MINGW_TARGET}-windres)

if(NOT QUENZEL_WINDOWS_DEPS)
  if(DEFINED ENV{QUENZEL_WINDOWS_DEPS})
    set(QUENZEL_WINDOWS_DEPS "$ENV{QUENZEL_WINDOWS_DEPS}")
  elseif(DEFINED ENV{QUENZEL_DEPS_CACHE})
    set(QUENZEL_WINDOWS_DEPS "$ENV{QUENZEL_DEPS_CACHE}")
  else()
    set(QUENZEL_WINDOWS_DEPS /var/cache/quenzel)
  endif()
endif()
set(QUENZEL_WINDOWS_DEPS "${QUENZEL_WINDOWS_DEPS}" CACHE PATH
    "Folder with the cross-built Windows dependencies (.ci/windows-deps)")
# try_compile projects read this file again; they see the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUENZEL_WINDOWS_DEPS)

file(GLOB _quenzel_dep_prefixes LIST_DIRECTORIES true "${QUENZEL_WINDOWS_DEPS}/*-${QUENZEL_MINGW_ARCH}")
# QUENZEL_FIND_ROOTS adds prefixes of Windows builds, such as an installed
# quenzel tree that a host project builds against.
set(CMAKE_FIND_ROOT_PATH /usr/${QUENZEL_MINGW_TARGET} ${_quenzel_dep_prefixes} ${QUENZEL_FIND_ROOTS})
# Build tools come from the build machine; everything linked or included
# comes from the roots above.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime links as DLLs (see above). The few helpers that still come
# from static archives (libgcc.a's arithmetic) are not exported again by our
# DLLs: a program linking two of them would see each such symbol twice.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-shared-libgcc")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-shared-libgcc -Wl,--exclude-libs,ALL")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-shared-libgcc -Wl,--exclude-libs,ALL")

# Test programs run under Wine through cmake/wine-run.sh, in a Wine prefix
# inside the build tree, finding the dependencies' DLLs and the MinGW
# runtime DLLs through WINEPATH.
set(_quenzel_wine_args --build-tree "${CMAKE_BINARY_DIR}" --arch ${_quenzel_wine_arch})
foreach(_prefix IN LISTS _quenzel_dep_prefixes)
  if(IS_DIRECTORY "${_prefix}/bin")
    list(APPEND _quenzel_wine_args --path "${_prefix}/bin")
  endif()
endforeach()
if(QUENZEL_MINGW_ARCH STREQUAL "x86_64")
  set(QUENZEL_RUNTIME_DLL_NAMES libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
else()
  set(QUENZEL_RUNTIME_DLL_NAMES libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
endif()
# QUENZEL_RUNTIME_DLLS: the runtime DLLs' full paths, which the install copies.
set(QUENZEL_RUNTIME_DLLS "")
set(_runtime_dirs "")
foreach(_runtime_dll IN LISTS QUENZEL_RUNTIME_DLL_NAMES)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_runtime_dll}
                  OUTPUT_VARIABLE _runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE _runtime_result)
  if(_runtime_result EQUAL 0 AND IS_ABSOLUTE "${_runtime_path}" AND EXISTS "${_runtime_path}")
    get_filename_component(_runtime_path "${_runtime_path}" REALPATH)
    list(APPEND QUENZEL_RUNTIME_DLLS "${_runtime_path}")
    get_filename_component(_runtime_dir "${_runtime_path}" DIRECTORY)
    list(APPEND _runtime_dirs "${_runtime_dir}")
  endif()
endforeach()
list(REMOVE_DUPLICATES _runtime_dirs)
foreach(_runtime_dir IN LISTS _runtime_dirs)
  list(APPEND _quenzel_wine_args --path "${_runtime_dir}")
endforeach()
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh" ${_quenzel_wine_args} --)
# GoogleTest programs list their tests when CTest runs, not right after they
# are linked, so that building needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Create the Wine prefix while configuring, not during the first test
# discovery, whose time limit the first start of Wine could exceed. Builds
# that run nothing (such as the dependencies' own) turn this off.
option(QUENZEL_WINE_INIT_ON_CONFIGURE "Create the build tree's Wine prefix when configuring" ON)
# CMake reads this file more than once per run: try only the first time.
get_property(_quenzel_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
get_property(_quenzel_wine_tried GLOBAL PROPERTY _QUENZEL_WINE_INIT_TRIED)
if(QUENZEL_WINE_INIT_ON_CONFIGURE AND NOT _quenzel_in_try_compile AND NOT _quenzel_wine_tried
   AND NOT EXISTS "${CMAKE_BINARY_DIR}/wine/.initialised")
  set_property(GLOBAL PROPERTY _QUENZEL_WINE_INIT_TRIED ON)
  find_program(_quenzel_wine wine)
  if(_quenzel_wine)
    message(STATUS "Creating the Wine prefix ${CMAKE_BINARY_DIR}/wine")
    execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh" --build-tree "${CMAKE_BINARY_DIR}"
                            --arch ${_quenzel_wine_arch} --init
                    RESULT_VARIABLE _quenzel_wine_result)
    if(NOT _quenzel_wine_result EQUAL 0)
      message(WARNING "Wine does not work here: the build goes on, but its tests cannot run")
    endif()
  endif()
  unset(_quenzel_wine CACHE)
endif()
