# Helpers of the install tests: a host is built and run against the installed
# tree alone.

# quenzel_installed_emulator(<out> <emulator list> <prefix>): for a cross
# build, the emulator (cmake/wine-run.sh) with its dependency folders and the
# build tree's DLL folders taken out and <prefix>/bin put in, so a program
# finds only the DLLs the install put there. Empty for a native build.
function(quenzel_installed_emulator out emulator prefix)
  set(result "")
  set(skip_next OFF)
  foreach(arg IN LISTS emulator)
    if(skip_next)
      set(skip_next OFF)
    elseif(arg STREQUAL "--path")
      set(skip_next ON)
    elseif(arg STREQUAL "--")
      list(APPEND result --no-build-dlls --path ${prefix}/bin --)
    else()
      list(APPEND result "${arg}")
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# quenzel_host_configure_options(<out> <toolchain> <prefix> <work dir>): the
# options that configure a host project against <prefix> and nothing else:
# ICU may not be looked for (the package must not need it), and a cross
# build searches no dependency folder of the build machine. Warnings are
# errors, so that a pointer to a library function without its calling
# convention fails the build.
function(quenzel_host_configure_options out toolchain prefix work_dir)
  set(options -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_DISABLE_FIND_PACKAGE_ICU=ON
              "-DCMAKE_C_FLAGS=-Wall -Wextra -Werror" "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror")
  if(toolchain)
    list(APPEND options -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DQUENZEL_FIND_ROOTS=${prefix}
                        -DQUENZEL_WINDOWS_DEPS=${work_dir}/no-dependencies
                        -DQUENZEL_WINE_INIT_ON_CONFIGURE=OFF)
  endif()
  set(${out} "${options}" PARENT_SCOPE)
endfunction()
