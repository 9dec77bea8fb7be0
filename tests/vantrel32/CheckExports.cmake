# cmake -DNM=<nm> -DLIBRARY=<libVantrel32.so> -P CheckExports.cmake
set(expected
    ChangeSlvAdr Connect GetComPort GetI2CData GetTimeOut GetVersion IsConnected ReadSlvAdr
    SaveSlvAdr SetComPort SetTimeOut VantrelCreate VantrelDestroy WriteI2CRegs)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

set(found)
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
    # "<address> <type> <name>"; version-node entries (type A) are not symbols of ours.
    if(line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) (.+)$" AND NOT CMAKE_MATCH_1 STREQUAL "A")
        list(APPEND found "${CMAKE_MATCH_2}")
    endif()
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "exports differ\n expected: ${expected}\n found:    ${found}")
endif()
message(STATUS "exactly the 14 exports")
