# Installs the build tree into a scratch prefix, builds the example host
# program (examples/host_program) against it with find_package, runs it on
# the bundled definition file through a registry export, and compares its
# output with examples/host_program/expected_output.txt, the output that
# docs/host-program.md shows. The audit log must hold the weight conversions.
#   -DBUILD_DIR=<build tree> -DSOURCE=<examples/host_program>
#   -DEXAMPLES=<examples> -DWORK_DIR=<scratch directory>
#   [-DTOOLCHAIN=<toolchain file> -DEMULATOR=a|b]  a cross build, run under Wine
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
# The include folder holds the public headers (the library's, and those of
# the registry and audit-log libraries it links publicly) and nothing else;
# the host program includes <quenzel.h> from it.
file(GLOB installed_headers RELATIVE ${prefix}/include/quenzel ${prefix}/include/quenzel/*)
list(SORT installed_headers)
set(public_headers cfgstore.h logbook.h quenzel.h quenzel_c.h quenzel_diagnostics.h
                   quenzel_error.h quenzel_export.h quenzel_field.h quenzel_file.h quenzel_record.h)
if(NOT installed_headers STREQUAL public_headers)
  message(FATAL_ERROR "installed headers: ${installed_headers}; expected: ${public_headers}")
endif()
string(REPLACE "|" ";" emulator "${EMULATOR}")
quenzel_installed_emulator(emulator "${emulator}" ${prefix})
set(program ${WORK_DIR}/build/host_program)
if(TOOLCHAIN)
  string(APPEND program .exe)
endif()
# A cross build: the host program is built the same way, against the
# installed tree alone.
quenzel_host_configure_options(host_options "${TOOLCHAIN}" ${prefix} ${WORK_DIR})
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK_DIR}/build ${host_options})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)

# The operator's registry export, with ZQEXE pointing at the examples.
file(READ ${EXAMPLES}/shop.reg registry)
string(REPLACE "\"ZQEXE\"=\"/opt/shop/\"" "\"ZQEXE\"=\"${EXAMPLES}/\"" registry "${registry}")
string(FIND "${registry}" "\"ZQEXE\"=\"${EXAMPLES}/\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "examples/shop.reg no longer sets ZQEXE to /opt/shop/")
endif()
file(WRITE ${WORK_DIR}/shop.reg "${registry}")
file(MAKE_DIRECTORY ${WORK_DIR}/logs)
set(ENV{CFGSTORE_FILE} ${WORK_DIR}/shop.reg)
set(ENV{LOGBOOK_DIR} ${WORK_DIR}/logs)

run(${emulator} ${program})
file(READ ${SOURCE}/expected_output.txt expected)
if(NOT last_output STREQUAL expected)
  file(WRITE ${WORK_DIR}/actual_output.txt "${last_output}")
  message(FATAL_ERROR "the host program's output differs from ${SOURCE}/expected_output.txt "
                      "(docs/host-program.md shows it):\n${last_output}")
endif()

# shop.reg switches the audit log on: the tare's conversion to the scale's
# units (125 hundredths of a kilogram are 1250 grams) is on record.
file(READ ${WORK_DIR}/logs/POS.log log)
if(NOT log MATCHES "\t997\tQuenzel Weight Field conversion\\. After\t[^\t]*\t7\t1250\tCQuenzelField::Convert\\(\\)\n")
  message(FATAL_ERROR "no conversion entry for the tare in the audit log:\n${log}")
endif()

# A definition file that is not there: the program reports where loading
# stopped and fails.
execute_process(COMMAND ${emulator} ${program} no-such.def
                RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
if(status EQUAL 0 OR NOT err MATCHES "cannot load .*zqapi.no-such\\.def")
  message(FATAL_ERROR "a missing definition file was not reported (${status}): ${err}")
endif()
message(STATUS "${last_output}")
