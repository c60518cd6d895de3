# The release archive as a user gets it: made by cpack in BUILD, unpacked afresh, and its
# tavorin-calc.exe run on INPUT must write EXPECTED with STATUS (run_golden.cmake, EMULATOR
# as there). Run with -DCPACK=<cpack> -DBUILD=<the windows build folder> -DINPUT=…
# -DEXPECTED=… -DSTATUS=… -DEMULATOR=….
file(GLOB old ${BUILD}/package/*.zip)
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake WORKING_DIRECTORY ${BUILD}
                OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
file(GLOB archive ${BUILD}/package/*.zip)
list(LENGTH archive archives)
if(NOT status EQUAL 0 OR NOT archives EQUAL 1)
  message(FATAL_ERROR "cpack ended with ${status} and made ${archives} archives:\n${log}")
endif()
set(unpacked ${BUILD}/package/unpacked)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${unpacked}
                RESULT_VARIABLE status)
file(GLOB COMMAND ${unpacked}/*/tavorin-calc.exe)
list(LENGTH COMMAND found)
if(NOT status EQUAL 0 OR NOT found EQUAL 1)
  message(FATAL_ERROR "${archive}: not one */tavorin-calc.exe in it (unpacking ended with "
                      "${status})")
endif()
message(STATUS "${COMMAND}")
include(${CMAKE_CURRENT_LIST_DIR}/../golden/run_golden.cmake)
