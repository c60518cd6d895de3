# Runs COMMAND (with the arguments ARGS, a ;-list) with INPUT on standard input and compares
# its standard output byte for byte with EXPECTED, and its exit status with STATUS.
# EMULATOR, if given, runs COMMAND (its arguments separated by "|").
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(
  COMMAND ${emulator} ${COMMAND} ${ARGS}
  INPUT_FILE ${INPUT}
  OUTPUT_VARIABLE actual
  RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
if(NOT actual STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${actual}")
  message(FATAL_ERROR "output differs from ${EXPECTED}; it is in "
                      "${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
endif()
