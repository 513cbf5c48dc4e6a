# `quenzel check --log NAME --log-dir DIR` on a broken definition writes the
# library's read-error entry to DIR/NAME.log.
#   -DTOOL=... -DWORKDIR=... -DLOG_DIR=...
file(REMOVE_RECURSE ${LOG_DIR})
file(MAKE_DIRECTORY ${LOG_DIR})
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${TOOL} check tests/data/bad_field.def --log CHECK --log-dir ${LOG_DIR}
                WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, expected 1")
endif()
file(READ ${LOG_DIR}/CHECK.log entries)
if(NOT entries MATCHES "\tquenzel\t997\tQuenzel Read Error\t[^\t]*bad_field.def\t12\t3\t4\t6\tCQuenzelRecord::Read\\(\\)")
  message(FATAL_ERROR "no read-error entry in the log:\n${entries}")
endif()
