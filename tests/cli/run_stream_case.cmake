# decode prints a record as soon as it is read, while its input is still
# open: a pipe that stays silent after one record must already have shown
# it when the tool is stopped.
#   -DTOOL=... -DWORKDIR=...
execute_process(
  COMMAND sh -c "(printf '12 1 4 \"4711\" 0 '; sleep 4) | timeout 2 \"$0\" decode examples/zqapi/shop.def"
          ${TOOL}
  WORKING_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT out MATCHES "^\\{\"record\":12,\"name\":\"ITEM\",\"fields\":\\[\\{\"number\":1,\"name\":\"PLU\",\"value\":\"4711\"\\}")
  message(FATAL_ERROR "the record was not printed before the input ended:\n${out}${err}")
endif()
