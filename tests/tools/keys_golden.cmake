# Runs typomancer-keys on one text and compares what it printed on standard output and standard
# error, and its exit status, with the expected ones. Both streams go through files: Wine's
# background processes keep inherited pipes open.
#   TOOL, EMULATOR   the program and what runs it (wine), or an empty EMULATOR
#   OPTIONS          options before the text, separated by "|"
#   TEXT             the text, passed as one argument even when empty
#   EXPECTED_OUTPUT  file of the expected standard output
#   EXPECTED_ERROR   the expected standard error, verbatim (empty: nothing)
#   STATUS           the expected exit status
#   WORK             prefix for the files written
string(REPLACE "|" ";" options "${OPTIONS}")
set(command ${TOOL} ${options})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command} "${TEXT}"
  OUTPUT_FILE ${WORK}.out ERROR_FILE ${WORK}.err RESULT_VARIABLE status)

file(READ ${WORK}.out output)
file(READ ${WORK}.err error)
file(READ ${EXPECTED_OUTPUT} expectedOutput)
set(problems)
if(NOT status STREQUAL STATUS)
  string(APPEND problems "exit status ${status}, expected ${STATUS}\n")
endif()
if(NOT output STREQUAL expectedOutput)
  string(APPEND problems "standard output differs from ${EXPECTED_OUTPUT}\n")
endif()
if(NOT error STREQUAL EXPECTED_ERROR)
  string(APPEND problems "standard error differs: expected [${EXPECTED_ERROR}]\n")
endif()
if(problems)
  message(FATAL_ERROR "typomancer-keys [${TEXT}]: ${problems}"
    "--- standard output:\n${output}--- standard error:\n${error}")
endif()
