# Runs typomancer-keys on one script and compares its standard output and exit status with the
# expected ones. Output goes through a file, not a pipe: Wine's background processes keep
# inherited pipes open.
#   TOOL      the program          EMULATOR  what runs it (wine), or empty
#   ARGS      its arguments, separated by "|"
#   STDIN     a file for standard input, or empty
#   EXPECTED  the expected output  STATUS    the expected exit status
#   OUTPUT    where to write what it printed
string(REPLACE "|" ";" arguments "${ARGS}")
set(command ${TOOL} ${arguments})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
set(input)
if(STDIN)
  set(input INPUT_FILE ${STDIN})
endif()
execute_process(COMMAND ${command} ${input}
  OUTPUT_FILE ${OUTPUT} ERROR_FILE ${OUTPUT}.err RESULT_VARIABLE status)
file(READ ${OUTPUT}.err errors)

if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstandard error:\n${errors}")
endif()
file(READ ${OUTPUT} actual)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${EXPECTED}\n--- printed:\n${actual}\n--- expected:\n${expected}")
endif()
