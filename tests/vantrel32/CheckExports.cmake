# cmake -DNM=<nm> -DLIBRARY=<libVantrel32.so> -DHEADERS=<vantrel32 folder> -P CheckExports.cmake
#
# The library exports the contract's 14 calls, declared in Vantrel32.h, and the tools'
# extras, declared in VantrelExtras.h, and nothing else. Each header must declare exactly
# its own list: an extra that slipped into the contract's header, or a contract call moved
# out of it, fails here as surely as a stray symbol.
set(contract
    ChangeSlvAdr Connect GetComPort GetI2CData GetTimeOut GetVersion IsConnected ReadSlvAdr
    SaveSlvAdr SetComPort SetTimeOut VantrelCreate VantrelDestroy WriteI2CRegs)
set(extras VantrelAskCounters VantrelGetCounters VantrelGetNotForwarded VantrelSetPacing
    VantrelGetRecordsDropped)

list(LENGTH contract contractCount)
if(NOT contractCount EQUAL 14)
    message(FATAL_ERROR "the contract has 14 calls, the list here ${contractCount}")
endif()

# The names a header declares with VANTREL_API.
function(declared header out)
    file(STRINGS "${header}" lines REGEX "^VANTREL_API ")
    set(names)
    foreach(line IN LISTS lines)
        if(line MATCHES "([A-Za-z0-9_]+)\\(")
            list(APPEND names "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    list(SORT names)
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(expect what found expected)
    list(SORT expected)
    if(NOT found STREQUAL expected)
        message(FATAL_ERROR "${what} differ\n expected: ${expected}\n found:    ${found}")
    endif()
endfunction()

declared("${HEADERS}/Vantrel32.h" inContract)
expect("calls of Vantrel32.h" "${inContract}" "${contract}")
declared("${HEADERS}/VantrelExtras.h" inExtras)
expect("calls of VantrelExtras.h" "${inExtras}" "${extras}")

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
expect("exports" "${found}" "${contract};${extras}")
list(LENGTH extras extrasCount)
message(STATUS "exactly the 14 exports of the contract and the ${extrasCount} extras")
