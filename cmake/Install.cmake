# Installation (GNUInstallDirs) and the Debian package. The programs go to
# bin/, what ships beside them in the build tree to share/rewordix/, where
# AppPaths finds it relative to the executable.
include(GNUInstallDirs)

set(REWORDIX_APP_ID "org.rewordix.Rewordix" CACHE STRING
    "Desktop and AppStream id (names the .desktop, metainfo and icon files)")
set(REWORDIX_RELEASE_DATE "2026-12-07" CACHE STRING "Date of this version in the metainfo")
set(data ${CMAKE_CURRENT_SOURCE_DIR}/data)

install(TARGETS rewordix rewordix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET rewordix_magicweb)
    install(TARGETS rewordix_magicweb LIBRARY DESTINATION ${REWORDIX_PLUGIN_INSTALL_DIR})
endif()

file(GLOB language_sources CONFIGURE_DEPENDS ${data}/language/*.ini)
foreach(source IN LISTS language_sources)
    get_filename_component(name ${source} NAME)
    install(FILES ${REWORDIX_BIN_DIR}/Language/${name}
            DESTINATION ${REWORDIX_DATA_INSTALL_DIR}/Language)
endforeach()
set(shipped ${REWORDIX_BIN_DIR}/rewordix.svg)
if(TARGET rewordix_dictionary)
    list(APPEND shipped ${REWORDIX_BIN_DIR}/SysFuns.dll ${REWORDIX_BIN_DIR}/THIRD-PARTY-NOTICES.txt)
endif()
if(TARGET rewordix_tagger_model)
    # Without npm or the network the build warns and makes no model.
    install(FILES ${REWORDIX_BIN_DIR}/tagger.model ${REWORDIX_BIN_DIR}/TAGGER-NOTICE.txt
            DESTINATION ${REWORDIX_DATA_INSTALL_DIR} OPTIONAL)
endif()
install(FILES ${shipped} DESTINATION ${REWORDIX_DATA_INSTALL_DIR})
install(DIRECTORY ${data}/handbook/ DESTINATION ${REWORDIX_DATA_INSTALL_DIR}/handbook)

# Desktop entry, AppStream metainfo, icons and manual pages.
set(desktop_file ${CMAKE_BINARY_DIR}/desktop/${REWORDIX_APP_ID}.desktop)
set(metainfo_file ${CMAKE_BINARY_DIR}/desktop/${REWORDIX_APP_ID}.metainfo.xml)
configure_file(${data}/desktop/rewordix.desktop.in ${desktop_file} @ONLY)
configure_file(${data}/desktop/rewordix.metainfo.xml.in ${metainfo_file} @ONLY)
install(FILES ${desktop_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${metainfo_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icon_root ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${data}/icons/rewordix.svg DESTINATION ${icon_root}/scalable/apps
        RENAME ${REWORDIX_APP_ID}.svg)
find_program(REWORDIX_RSVG_CONVERT rsvg-convert)
if(REWORDIX_RSVG_CONVERT)
    set(icon_outputs)
    foreach(size 16 22 24 32 48 64 128 256)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}/${REWORDIX_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
            COMMAND ${REWORDIX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                    ${data}/icons/rewordix.svg
            DEPENDS ${data}/icons/rewordix.svg
            COMMENT "Icon ${size}x${size}"
            VERBATIM)
        list(APPEND icon_outputs ${png})
        install(FILES ${png} DESTINATION ${icon_root}/${size}x${size}/apps)
    endforeach()
    add_custom_target(rewordix_icons ALL DEPENDS ${icon_outputs})
else()
    message(WARNING "rsvg-convert not found (librsvg2-bin): only the scalable icon is installed")
endif()

install(FILES ${data}/man/rewordix.1 ${data}/man/rewordix-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB in the build folder: rewordix_<version>_<arch>.deb. The library
# dependencies come from dpkg-shlibdeps; the window needs Qt's platform plugins
# and the SVG icon plugin, which no library pulls in.
set(CPACK_PACKAGE_NAME rewordix)
set(CPACK_PACKAGE_VENDOR "Rewordix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "article rewriter with an English synonym dictionary")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Rewordix finds the words and phrases of an English article that its\ndictionary knows, offers synonyms bent into each word's inflection and\nwrites many distinct rewritten copies as text files or one zip archive.\nrewordix-cli runs the same engine on the command line.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Rewordix developers" CACHE STRING "Maintainer field of the package")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# Magic Rewrite runs offline on these; without them it says that it cannot run.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, apertium, apertium-eng-spa, apertium-fr-es")
include(CPack)
