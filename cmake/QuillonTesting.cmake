# quillon_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>]
#                  [NO_DISPLAY] [RUNNER <script>])
# Every test runs headless, gets the build's bin directory on PATH, so it can start the
# adapter simulator by name, and sees none of the machine's serial ports. NO_DISPLAY runs
# it as a program without windows runs: no platform plugin chosen, no X or Wayland display
# to find. RUNNER runs the test through a CMake script (given PROGRAM, the test's file) that
# sets its own deadline when it runs, for a test whose length is chosen then; CTest's own
# time-out, fixed when the build is configured, is then set beyond any such deadline.
function(quillon_add_test name)
    cmake_parse_arguments(T "NO_DISPLAY" "TIMEOUT;RUNNER" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    if(T_RUNNER)
        add_test(NAME ${name}
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -P ${T_RUNNER})
        set(T_TIMEOUT 604800)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(env "QUILLON_BIN_DIR=${CMAKE_BINARY_DIR}/bin;PATH=${CMAKE_BINARY_DIR}/bin:$ENV{PATH}")
    # COM numbers are kept in the user's configuration for the machine's serial ports: a test
    # sees no ports and keeps nothing, unless it points both somewhere of its own.
    list(APPEND env "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config"
        "QUILLON_SERIAL_BY_ID=${CMAKE_BINARY_DIR}/test-home/no-serial-ports")
    if(NOT T_NO_DISPLAY)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    if(CMAKE_CXX_FLAGS MATCHES "sanitize=thread")
        # The distribution's Qt and GLib are not instrumented: Qt's own event dispatcher
        # synchronises through pipes the sanitizer sees, GLib's does not; QProcess forks
        # the simulator from a threaded test; tests/tsan.supp covers QtTest's watchdog.
        list(APPEND env "QT_NO_GLIB=1"
            "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}"
        ENVIRONMENT "${env}")
    if(T_NO_DISPLAY)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT_MODIFICATION
            "QT_QPA_PLATFORM=unset:;DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
    endif()
endfunction()

# quillon_add_headless_check(<name> TARGETS <targets...> [LABELS <labels...>] [EXPECT_GUI])
# A test that reads the ELF dynamic section of each target (an executable or a shared
# library), follows the build's own shared libraries it needs, and fails when any of them
# needs a GUI library (cmake/CheckHeadless.cmake). EXPECT_GUI turns it round, for a target
# that must show up as needing one.
find_program(QUILLON_READELF readelf REQUIRED)
function(quillon_add_headless_check name)
    cmake_parse_arguments(H "EXPECT_GUI" "" "TARGETS;LABELS" ${ARGN})
    set(files)
    foreach(target IN LISTS H_TARGETS)
        list(APPEND files "$<TARGET_FILE:${target}>")
    endforeach()
    list(JOIN files "|" binaries)
    set(expect OFF)
    if(H_EXPECT_GUI)
        set(expect ON)
    endif()
    add_test(NAME ${name}
        COMMAND ${CMAKE_COMMAND} -DREADELF=${QUILLON_READELF}
                -DLIB_DIR=${CMAKE_LIBRARY_OUTPUT_DIRECTORY} "-DBINARIES=${binaries}"
                -DEXPECT_GUI=${expect} -P ${PROJECT_SOURCE_DIR}/cmake/CheckHeadless.cmake)
    set_tests_properties(${name} PROPERTIES LABELS "${H_LABELS}")
endfunction()

# quillon_add_board_run(<test>)
# Registers <test> a second time as <test>_board, with the tests' simulator helper starting
# the board simulator (the real adapter firmware) instead of the adapter simulator.
function(quillon_add_board_run name)
    get_test_property(${name} ENVIRONMENT env)
    get_test_property(${name} LABELS labels)
    get_test_property(${name} TIMEOUT timeout)
    add_test(NAME ${name}_board COMMAND ${name})
    set_tests_properties(${name}_board PROPERTIES
        TIMEOUT ${timeout}
        LABELS "${labels};boardsim"
        ENVIRONMENT "${env};QUILLON_SIM=board")
    add_dependencies(${name} quillon-board-sim quillon-firmware)
endfunction()
