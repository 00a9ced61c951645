# The generated header buildinfo.h: the version both programs show and the
# update check compares, the installed data and plugin folders relative to
# bin/, and the update folder's address.
include(GNUInstallDirs)

set(REWORDIX_UPDATE_FOLDER "" CACHE STRING
    "Address of the folder that publishes update.ini and update.html (empty: no update check)")
if(REWORDIX_UPDATE_FOLDER MATCHES "[\"\\\\\n]")
    message(FATAL_ERROR "REWORDIX_UPDATE_FOLDER must not contain quotes, backslashes or line ends")
endif()

set(REWORDIX_VERSION_PARTS)
foreach(part MAJOR MINOR PATCH TWEAK)
    set(value "${PROJECT_VERSION_${part}}")
    if(value STREQUAL "")
        set(value 0)
    endif()
    list(APPEND REWORDIX_VERSION_PARTS ${value})
endforeach()
list(JOIN REWORDIX_VERSION_PARTS ", " REWORDIX_VERSION_PARTS)

set(REWORDIX_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/rewordix)
file(RELATIVE_PATH REWORDIX_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/rewordix)

set(REWORDIX_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/rewordix)
file(RELATIVE_PATH REWORDIX_PLUGINS_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/rewordix)

configure_file(${CMAKE_CURRENT_LIST_DIR}/buildinfo.h.in
               ${CMAKE_BINARY_DIR}/generated/buildinfo.h @ONLY)
