# The manual page quenzel.1, made by help2man from the tool's own help: the
# general help and version, and each verb's help as a section of its own.
#   -DTOOL=... -DHELP2MAN=... -DOUTPUT=... -DWORK_DIR=...
set(verbs check show encode decode)
set(include "[COMMANDS]\n")
foreach(verb IN LISTS verbs)
  execute_process(COMMAND ${TOOL} ${verb} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "quenzel ${verb} --help failed (status ${status})")
  endif()
  string(REPLACE "${TOOL}" "quenzel" help "${help}")
  # Verbatim in roff: a backslash is \e, and a line must not begin with a
  # control character.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND include ".SS quenzel ${verb}\n.nf\n${help}.fi\n")
endforeach()
string(APPEND include "[FILES]\nA bash completion for the command line is installed as "
       "share/bash-completion/completions/quenzel.\n")
file(WRITE ${WORK_DIR}/quenzel.h2m "${include}")
execute_process(COMMAND ${HELP2MAN} --no-info --section=1
                        "--name=work with quenzel definition files and data records"
                        --include=${WORK_DIR}/quenzel.h2m --output=${OUTPUT} ${TOOL}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (status ${status})")
endif()
