# quillon_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# Every test runs headless and gets the build's bin directory on PATH, so it can start
# the adapter simulator by name.
function(quillon_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(env "QT_QPA_PLATFORM=offscreen;QUILLON_BIN_DIR=${CMAKE_BINARY_DIR}/bin;PATH=${CMAKE_BINARY_DIR}/bin:$ENV{PATH}")
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
