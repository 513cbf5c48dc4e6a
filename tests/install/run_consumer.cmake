# Installs the build tree into a scratch prefix, builds the consumer project
# against it with find_package, and runs it on the bundled example.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)

file(WRITE ${WORK_DIR}/registry.reg
     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n\"ZQEXE\"=\"${EXAMPLES}/\"\n")
set(ENV{CFGSTORE_FILE} ${WORK_DIR}/registry.reg)
run(${WORK_DIR}/build/consumer shop.def)
if(NOT last_output MATCHES "record 12 ITEM: 24 fields, key PLU, error name Range Warning")
  message(FATAL_ERROR "unexpected output: ${last_output}")
endif()
message(STATUS "${last_output}")
