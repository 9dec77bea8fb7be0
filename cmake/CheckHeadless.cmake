# cmake -DREADELF=<readelf> -DLIB_DIR=<dir> -DBINARIES=<file>|<file>... [-DEXPECT_GUI=ON]
#       -P CheckHeadless.cmake
#
# Reads the dynamic section of each binary and lists the shared libraries it needs. Our own
# libraries (those in LIB_DIR) are followed to what they need in turn. Fails when a GUI
# library is among them: a program built from these binaries must start on a machine with
# no display and no GUI stack. With EXPECT_GUI it fails when none is found instead, which
# shows that the check sees what it looks for.
cmake_minimum_required(VERSION 3.25)

# Qt's GUI modules and the windowing, GL and toolkit libraries below them.
set(gui_pattern
    "^lib(Qt6(Gui|Widgets|OpenGL|Quick|Svg|PrintSupport|XcbQpa|Wayland|UiPlugin|Designer)[A-Za-z]*|GL|GLX|EGL|OpenGL|X11|Xext|xcb|xkbcommon|wayland-|gtk-|gdk-)")

string(REPLACE "|" ";" pending "${BINARIES}")
set(seen)
set(gui_found)
set(checked)
# Each entry of `pending` is a path; `chain_<file name>` says how we got there.
foreach(binary IN LISTS pending)
    get_filename_component(name "${binary}" NAME)
    set(chain_${name} "${name}")
endforeach()

while(pending)
    list(POP_FRONT pending binary)
    get_filename_component(name "${binary}" NAME)
    if(name IN_LIST seen)
        continue()
    endif()
    list(APPEND seen "${name}")
    if(NOT EXISTS "${binary}")
        message(FATAL_ERROR "${binary} does not exist")
    endif()
    execute_process(COMMAND "${READELF}" -d "${binary}"
        OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "readelf failed on ${binary}: ${errors}")
    endif()
    string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" entries "${listing}")
    # Every binary of ours needs at least the C library: an empty list means we could not
    # read it, not that it is clean.
    if(NOT entries)
        message(FATAL_ERROR "no NEEDED entries read from ${binary}")
    endif()
    list(APPEND checked "${name}")
    foreach(entry IN LISTS entries)
        string(REGEX REPLACE ".*\\[([^]]+)\\]" "\\1" needed "${entry}")
        if(needed MATCHES "${gui_pattern}")
            list(APPEND gui_found "${chain_${name}} -> ${needed}")
        elseif(EXISTS "${LIB_DIR}/${needed}" AND NOT needed IN_LIST seen)
            set(chain_${needed} "${chain_${name}} -> ${needed}")
            list(APPEND pending "${LIB_DIR}/${needed}")
        endif()
    endforeach()
endwhile()

list(JOIN checked ", " checked_text)
if(EXPECT_GUI)
    if(NOT gui_found)
        message(FATAL_ERROR "no GUI library found in ${checked_text}, though one is needed")
    endif()
    list(JOIN gui_found "\n  " gui_text)
    message(STATUS "GUI libraries found as expected:\n  ${gui_text}")
elseif(gui_found)
    list(JOIN gui_found "\n  " gui_text)
    message(FATAL_ERROR "GUI libraries needed:\n  ${gui_text}")
else()
    message(STATUS "no GUI library needed by ${checked_text}")
endif()
