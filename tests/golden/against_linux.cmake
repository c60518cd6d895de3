# The same random input lines through the Linux tavorin-calc and the cross-built one under
# the emulator: both must write the same bytes and end with the same status. Run with
# -DHOST_BUILD=<a Linux build folder with tests/random_cases and cli/tavorin-calc>
# -DCOUNT=<lines> -DCOMMAND=<the cross-built tool> -DEMULATOR=<as in run_golden.cmake>
# -DWORK=<a folder for the lines and both outputs, kept for a diff>.
string(REPLACE "|" ";" emulator "${EMULATOR}")
set(generate ${HOST_BUILD}/tests/random_cases)
set(linux_tool ${HOST_BUILD}/cli/tavorin-calc)
foreach(tool ${generate} ${linux_tool})
  if(NOT EXISTS ${tool})
    message(FATAL_ERROR "${tool} is missing: build the dev preset first "
                        "(cmake --workflow --preset dev), or point TAVORIN_HOST_BUILD at "
                        "another Linux build")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK})
set(cases ${WORK}/random-cases.jsonl)
execute_process(COMMAND ${generate} ${COUNT} OUTPUT_FILE ${cases} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${generate} ${COUNT} ended with ${status}")
endif()
execute_process(COMMAND ${linux_tool} INPUT_FILE ${cases} OUTPUT_FILE ${WORK}/linux.out
                RESULT_VARIABLE linux_status)
execute_process(COMMAND ${emulator} ${COMMAND} INPUT_FILE ${cases} OUTPUT_FILE ${WORK}/windows.out
                RESULT_VARIABLE windows_status)
if(NOT linux_status STREQUAL windows_status)
  message(FATAL_ERROR "exit status ${windows_status}, the Linux tool's ${linux_status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/linux.out ${WORK}/windows.out
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${COUNT} random cases: the outputs differ "
                      "(diff ${WORK}/linux.out ${WORK}/windows.out)")
endif()
message(STATUS "${COUNT} random cases: the Linux tool and ${COMMAND} wrote the same bytes")
