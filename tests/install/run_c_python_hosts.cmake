# Installs the build tree into a scratch prefix and runs a host that uses
# only the installed tree: the C host (examples/c_host, built with
# find_package) or the Python example (examples/python, through the
# installed package). The host encodes record 12 and decodes the bundled
# data records; the installed command-line tool does the same, and both
# must give the same records and values.
#   -DHOST=c|python -DBUILD_DIR=<build tree> -DSOURCE=<the host's folder>
#   -DEXAMPLES=<examples> -DWORK_DIR=<scratch directory>
#   [-DPYTHON=<interpreter> -DPYTHON_DIR=<package folder below the prefix>]
#   [-DTOOLCHAIN=<toolchain file> -DEMULATOR=a|b]  a cross build, run under Wine
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
string(REPLACE "|" ";" emulator "${EMULATOR}")
quenzel_installed_emulator(emulator "${emulator}" ${prefix})
set(exe "")
if(TOOLCHAIN)
  set(exe .exe)
endif()

# Runs a command in the examples folder, adding its output to `output`.
function(run output)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${EXAMPLES}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  string(REPLACE "\r\n" "\n" out "${out}")
  set(${output} "${${output}}${out}" PARENT_SCOPE)
endfunction()

set(ignored "")
run(ignored ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The registry export with ZQEXE pointing at the examples.
file(READ ${EXAMPLES}/shop.reg registry)
string(REPLACE "\"ZQEXE\"=\"/opt/shop/\"" "\"ZQEXE\"=\"${EXAMPLES}/\"" registry "${registry}")
file(WRITE ${WORK_DIR}/shop.reg "${registry}")
set(ENV{CFGSTORE_FILE} ${WORK_DIR}/shop.reg)
set(ENV{LOGBOOK_DIR} ${WORK_DIR})
# Relative paths: the Windows build of the tool would take a leading / for
# an option.
set(records records/item.dat records/ingredients.dat records/cp1252.dat)

# The reference: the installed tool, with the item of the C host and of
# examples/python/items.csv.
set(expected "")
run(expected ${emulator} ${prefix}/bin/quenzel${exe} encode zqapi/shop.def 12 PLU=4711
    EAN=4006381333931 "DESCRIPTION=Gouda mild" 5=1299 PB=1 TARE=25 GROUP=77 FONT=B CLASS=A
    PICTURE=GIF89a)
list(TRANSFORM records PREPEND "-i;" OUTPUT_VARIABLE inputs)
run(expected ${emulator} ${prefix}/bin/quenzel${exe} decode zqapi/shop.def ${inputs})

set(actual "")
if(HOST STREQUAL "c")
  quenzel_host_configure_options(host_options "${TOOLCHAIN}" ${prefix} ${WORK_DIR})
  run(ignored ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK_DIR}/build ${host_options})
  run(ignored ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(actual ${emulator} ${WORK_DIR}/build/c_host${exe} shop.def ${records})
else()
  # Nothing but the installed package tells where the library is.
  unset(ENV{QUENZEL_LIBRARY})
  set(ENV{PYTHONPATH} ${prefix}/${PYTHON_DIR})
  set(ENV{PYTHONDONTWRITEBYTECODE} 1)
  run(actual ${PYTHON} ${SOURCE}/quenzel_items.py encode shop.def ${SOURCE}/items.csv)
  run(actual ${PYTHON} ${SOURCE}/quenzel_items.py decode shop.def ${records})
endif()

# The C host prints numbers as the text getter gives them, with the field's
# leading zeros; the Python host prints stored values, as the tool does.
if(HOST STREQUAL "c")
  foreach(output expected actual)
    string(REGEX REPLACE "\"value\":\"0+([0-9])" "\"value\":\"\\1" ${output} "${${output}}")
  endforeach()
endif()
if(NOT actual STREQUAL expected)
  file(WRITE ${WORK_DIR}/expected.txt "${expected}")
  file(WRITE ${WORK_DIR}/actual.txt "${actual}")
  message(FATAL_ERROR "the ${HOST} host and the tool disagree; see ${WORK_DIR}/expected.txt "
                      "and ${WORK_DIR}/actual.txt")
endif()
message(STATUS "${actual}")
