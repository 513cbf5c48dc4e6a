# Reads the import tables of a Windows build's C++ modules (DLLs and
# programs) and fails when one of them does not import the shared GCC
# runtime, that is, when it carries a static copy of it. Runs no Windows
# code, so it works on any machine that has MinGW-w64's objdump:
#
#   cmake -DLIST=<build tree>/runtime-imports.cmake -P cmake/check_runtime_imports.cmake
#
# <build tree>/runtime-imports.cmake (written by tests/CMakeLists.txt) sets
#   OBJDUMP  the cross objdump
#   RUNTIME  the runtime DLLs every C++ module must import
#   MODULES  the built C++ modules
cmake_minimum_required(VERSION 3.20)
if(NOT LIST OR NOT EXISTS "${LIST}")
  message(FATAL_ERROR "check_runtime_imports: -DLIST=<build tree>/runtime-imports.cmake is missing "
                      "(configure and build a Windows preset first)")
endif()
include("${LIST}")

set(failures "")
set(checked 0)
foreach(module IN LISTS MODULES)
  get_filename_component(name "${module}" NAME)
  if(NOT EXISTS "${module}")
    string(APPEND failures "  ${name}: not built (${module})\n")
    continue()
  endif()
  execute_process(COMMAND "${OBJDUMP}" -p "${module}" RESULT_VARIABLE status
                  OUTPUT_VARIABLE headers ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    string(APPEND failures "  ${name}: ${OBJDUMP} failed: ${error}\n")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
  list(TRANSFORM imports REPLACE "^DLL Name: " "")
  list(TRANSFORM imports TOLOWER)
  set(missing "")
  foreach(dll IN LISTS RUNTIME)
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST imports)
      list(APPEND missing "${dll}")
    endif()
  endforeach()
  if(missing)
    list(JOIN missing ", " missing)
    list(JOIN imports ", " imports)
    string(APPEND failures "  ${name}: does not import ${missing}, so it links the GCC runtime "
                           "statically (imports: ${imports})\n")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()

if(failures)
  message(FATAL_ERROR "C++ modules with their own copy of the GCC runtime (an exception cannot "
                      "cross from one such module into another on 32-bit Windows):\n${failures}")
endif()
list(JOIN RUNTIME ", " runtime)
message(STATUS "${checked} modules import the shared GCC runtime (${runtime})")
