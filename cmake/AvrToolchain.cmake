# Cross-compiling for the adapter board's ATmega328P with Debian's gcc-avr and avr-libc
# (scripts/setup-deps.sh installs them). The host build's flags (sanitizers above all)
# never reach this build: it is a separate CMake project started by firmware/CMakeLists.txt.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR avr)

find_program(AVR_CXX avr-g++)
find_program(AVR_OBJCOPY avr-objcopy)
find_program(AVR_SIZE avr-size)
if(NOT AVR_CXX OR NOT AVR_OBJCOPY OR NOT AVR_SIZE)
    message(FATAL_ERROR "avr-g++, avr-objcopy and avr-size are needed for the firmware "
                        "(Debian: gcc-avr binutils-avr avr-libc; scripts/setup-deps.sh)")
endif()

set(CMAKE_CXX_COMPILER ${AVR_CXX})
# The toolchain cannot link a host-style test program without the chip's start-up code.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
