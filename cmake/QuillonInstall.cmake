# Where the installed pieces go (cmake --install, the Debian package of packaging/): programs
# in bin/, our own shared libraries in a folder of their own that only our programs find,
# through a run path relative to the program, so nothing of ours lands on the system's
# library path; data, manual pages and documents under share/.

include(GNUInstallDirs)
# Debian keeps a package's documents under the package's name, which is lower case. (Qt's
# package files include GNUInstallDirs before we do, so its cache entry exists already,
# empty unless given on the command line; a folder given there still wins.)
get_property(docdir CACHE CMAKE_INSTALL_DOCDIR PROPERTY VALUE)
if(NOT docdir)
    set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon")
endif()

set(QUILLON_INSTALL_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/quillon")
set(QUILLON_INSTALL_FIRMWAREDIR "${CMAKE_INSTALL_DATADIR}/quillon/firmware")
# The installed folders as seen from an installed program, for run paths and for programs
# that find their data next to themselves wherever the tree was unpacked.
file(RELATIVE_PATH QUILLON_BIN_TO_PRIVATE_LIBDIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${QUILLON_INSTALL_PRIVATE_LIBDIR}")
file(RELATIVE_PATH QUILLON_BIN_TO_FIRMWAREDIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${QUILLON_INSTALL_FIRMWAREDIR}")

# Installed directories are world-readable whatever the umask of the machine that builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

find_program(QUILLON_GZIP gzip REQUIRED)

# quillon_install_gzipped(<file> <destination> [RENAME <name>])
# Installs <file> compressed as Debian wants manual pages and change logs: gzip -9 without
# the file name and time stamp, so the same source gives the same bytes.
function(quillon_install_gzipped file destination)
    cmake_parse_arguments(G "" "RENAME" "" ${ARGN})
    get_filename_component(name "${file}" NAME)
    if(G_RENAME)
        set(name "${G_RENAME}")
    endif()
    string(MAKE_C_IDENTIFIER "${destination}/${name}" key)
    set(copy "${PROJECT_BINARY_DIR}/gzipped/${key}/${name}")
    add_custom_command(OUTPUT "${copy}.gz"
        COMMAND ${CMAKE_COMMAND} -E copy "${file}" "${copy}"
        COMMAND ${QUILLON_GZIP} -9nf "${copy}"
        DEPENDS "${file}"
        VERBATIM)
    add_custom_target(gzip_${key} ALL DEPENDS "${copy}.gz")
    install(FILES "${copy}.gz" DESTINATION "${destination}")
endfunction()

# quillon_install_program(<target>)
# Installs a program of the package with its manual page (docs/man/<target>.1, which must
# exist) and a run path to our private library folder.
function(quillon_install_program target)
    set(page "${PROJECT_SOURCE_DIR}/docs/man/${target}.1")
    if(NOT EXISTS "${page}")
        message(FATAL_ERROR "${target} is installed without a manual page: write docs/man/${target}.1")
    endif()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${QUILLON_BIN_TO_PRIVATE_LIBDIR}")
    install(TARGETS ${target} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    quillon_install_gzipped("${page}" "${CMAKE_INSTALL_MANDIR}/man1")
    set_property(GLOBAL APPEND PROPERTY QUILLON_INSTALLED_PROGRAMS ${target})
endfunction()

# quillon_install_library(<target>)
# Installs one of our shared libraries into the private folder. Its own run path is that
# folder too: a run path only serves the object that carries it, not the libraries it loads.
function(quillon_install_library target)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target} LIBRARY DESTINATION "${QUILLON_INSTALL_PRIVATE_LIBDIR}")
endfunction()

# quillon_check_installed(<program>...)
# At the end of the configuration: fails when one of the package's programs is built but
# has no install rule, so a program cannot silently go missing from the package.
function(quillon_check_installed)
    get_property(installed GLOBAL PROPERTY QUILLON_INSTALLED_PROGRAMS)
    foreach(program IN LISTS ARGN)
        if(TARGET ${program} AND NOT program IN_LIST installed)
            message(FATAL_ERROR "${program} is built but not installed: add "
                                "quillon_install_program(${program}) next to its target")
        endif()
    endforeach()
    list(JOIN installed "\n" text)
    # The package checks read which programs this build installs.
    file(WRITE "${PROJECT_BINARY_DIR}/installed-programs.txt" "${text}\n")
endfunction()
