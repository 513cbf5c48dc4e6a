# Two promises of the tool that need a directory of their own:
#  - a path is used as written: "p\q/zqapi/x.def" is the file in the folder
#    called "p\q", not the one in "p/q";
#  - check never reads or writes cache files, whatever the registry says.
#   -DTOOL=... -DSOURCE_DIR=... -DWORK_DIR=...
# CMake's own file commands read a backslash as a separator; mkdir and cp
# take the name as it stands.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/p/q/zqapi)
execute_process(COMMAND mkdir -p "p\\q/zqapi" WORKING_DIRECTORY ${WORK_DIR})
execute_process(COMMAND cp ${SOURCE_DIR}/examples/zqapi/shop.def "p\\q/zqapi/x.def"
                WORKING_DIRECTORY ${WORK_DIR})
configure_file(${SOURCE_DIR}/tests/data/bad_field.def ${WORK_DIR}/p/q/zqapi/x.def COPYONLY)
file(WRITE ${WORK_DIR}/cache.reg "Windows Registry Editor Version 5.00\n\n"
     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n\"CacheFiles\"=\"on\"\n")
execute_process(COMMAND ${TOOL} check "p\\q/zqapi/x.def" --registry cache.reg
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "18 records")
  message(FATAL_ERROR "p\\q/zqapi/x.def did not load as written (status ${status}):\n${out}${err}")
endif()
execute_process(COMMAND ${TOOL} check p/q/zqapi/x.def --registry cache.reg
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "the broken p/q/zqapi/x.def passed (status ${status})")
endif()
execute_process(COMMAND ls -A "p\\q/zqapi" p/q/zqapi WORKING_DIRECTORY ${WORK_DIR}
                OUTPUT_VARIABLE left)
string(REGEX MATCHALL "x\\.def" definitions "${left}")
string(REGEX REPLACE "[^\n]*:\n|x\\.def|\n" "" others "${left}")
list(LENGTH definitions count)
if(NOT count EQUAL 2 OR NOT others STREQUAL "")
  message(FATAL_ERROR "check left files beside the definitions:\n${left}")
endif()
