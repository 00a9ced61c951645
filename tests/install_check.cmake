# Installs the build into a fresh prefix and runs the installed command line
# from another folder, as a user would. Arguments: -DBUILD_DIR= -DWORK_DIR=
# -DVERSION= -DAPP_ID=
set(prefix ${WORK_DIR}/prefix)
set(elsewhere ${WORK_DIR}/elsewhere)
set(data_home ${WORK_DIR}/data-home)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${elsewhere} ${data_home})

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${elsewhere} RESULT_VARIABLE rc
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN}: exit ${rc}\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(cli ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${data_home} ${prefix}/bin/rewordix-cli)

run(${cli} synonyms big)
if(NOT out MATCHES "^<[a-z]+>[a-z]")
    message(FATAL_ERROR "installed rewordix-cli synonyms big printed:\n${out}")
endif()
run(${cli} --version)
if(NOT out STREQUAL "rewordix-cli ${VERSION}\n")
    message(FATAL_ERROR "installed rewordix-cli --version printed: ${out}")
endif()

# An installed layout is read-only even when the prefix is writable: the
# working folder is the per-user one, and nothing is written beside the data.
file(GLOB_RECURSE written ${prefix}/bin/Config.ini ${prefix}/bin/temp*
     ${prefix}/share/rewordix/Config.ini ${prefix}/share/rewordix/temp*)
if(written OR NOT IS_DIRECTORY ${data_home}/Rewordix)
    message(FATAL_ERROR "working files outside the per-user folder: ${written}")
endif()

foreach(file share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
             share/icons/hicolor/scalable/apps/${APP_ID}.svg share/man/man1/rewordix.1
             share/man/man1/rewordix-cli.1 share/rewordix/handbook/index.html)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
find_program(desktop_file_validate desktop-file-validate)
if(desktop_file_validate)
    run(${desktop_file_validate} ${prefix}/share/applications/${APP_ID}.desktop)
endif()
find_program(appstreamcli appstreamcli)
if(appstreamcli)
    run(${appstreamcli} validate --no-net ${prefix}/share/metainfo/${APP_ID}.metainfo.xml)
endif()
file(REMOVE_RECURSE ${WORK_DIR})
