# cmake -DSIZE=avr-size -DELF=quillon-firmware.elf -DFLASH=4096 -DRAM=1024 -P CheckBudget.cmake
# Fails the build when the image outgrows the budget docs/firmware.md promises: flash holds
# .text and .data (its initial values), RAM holds .data and .bss; the rest of the chip's
# 2 KiB RAM stays for the stack.
execute_process(COMMAND ${SIZE} -A ${ELF} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${SIZE} -A ${ELF} failed")
endif()
foreach(section text data bss)
    if(table MATCHES "\n\\.${section}[ \t]+([0-9]+)")
        set(${section} ${CMAKE_MATCH_1})
    else()
        set(${section} 0)
    endif()
endforeach()
math(EXPR flash "${text} + ${data}")
math(EXPR ram "${data} + ${bss}")
message(STATUS "quillon-firmware: flash ${flash} of ${FLASH} bytes, RAM ${ram} of ${RAM} bytes")
if(flash GREATER FLASH OR ram GREATER RAM)
    message(FATAL_ERROR "quillon-firmware is over its budget")
endif()
