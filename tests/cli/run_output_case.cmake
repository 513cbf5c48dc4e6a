# -o never destroys what it replaces: a failed run leaves the old file as it
# was, a successful one replaces it, and neither leaves a temporary file
# beside it.
#   -DTOOL=... -DSOURCE_DIR=... -DWORK_DIR=...
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/out.json "old contents\n")
set(shop ${SOURCE_DIR}/examples/zqapi/shop.def)
execute_process(COMMAND ${TOOL} decode ${shop} -i ${SOURCE_DIR}/tests/cli/broken.dat -o out.json
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
file(READ ${WORK_DIR}/out.json kept)
if(NOT status EQUAL 1 OR NOT kept STREQUAL "old contents\n")
  message(FATAL_ERROR "a failed decode changed out.json (status ${status}):\n${kept}")
endif()
execute_process(COMMAND ${TOOL} decode ${shop} -i ${SOURCE_DIR}/examples/records/item.dat
                        -o out.json
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
file(READ ${WORK_DIR}/out.json replaced)
if(NOT status EQUAL 0 OR NOT replaced MATCHES "^\\{\"record\":12")
  message(FATAL_ERROR "a successful decode did not replace out.json (status ${status}):\n"
                      "${replaced}")
endif()
file(GLOB left RELATIVE ${WORK_DIR} ${WORK_DIR}/* ${WORK_DIR}/.*)
if(NOT left STREQUAL "out.json")
  message(FATAL_ERROR "files left beside the output: ${left}")
endif()
