# Runs the soak (PROGRAM) under a deadline that follows the length asked for when it runs,
# QUILLON_SOAK_SECONDS (default 40): twice that and six minutes more, so a sanitised build
# on a busy machine finishes while a hung soak still ends. The soak's own watchdog fires a
# minute earlier and prints where it hangs.
set(seconds 40)
if(DEFINED ENV{QUILLON_SOAK_SECONDS})
    if(NOT "$ENV{QUILLON_SOAK_SECONDS}" MATCHES "^[0-9]+$")
        message(FATAL_ERROR "QUILLON_SOAK_SECONDS must be a whole number of seconds")
    endif()
    set(seconds $ENV{QUILLON_SOAK_SECONDS})
endif()
math(EXPR deadline "${seconds} * 2 + 360")
execute_process(COMMAND "${PROGRAM}" RESULT_VARIABLE result TIMEOUT ${deadline})
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM}: ${result}")
endif()
