# Installation laid out as a Debian program (executable, desktop entry, icons, AppStream metainfo,
# manual page, copyright and changelog) and the Debian package made from it by CPack:
# scripts/package builds build/package/korvex_VERSION_ARCH.deb.
include(GNUInstallDirs)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(app_id org.korvex.Korvex)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/korvex)

# The version is written in three places; a release changes them together.
file(STRINGS ${packaging}/changelog changelog_head LIMIT_COUNT 1)
file(READ ${packaging}/${app_id}.metainfo.xml metainfo)
if(NOT changelog_head MATCHES "^korvex \\(${PROJECT_VERSION}\\) "
   OR NOT metainfo MATCHES "<release version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "packaging/changelog and packaging/${app_id}.metainfo.xml must name the "
                        "project's version ${PROJECT_VERSION} in their latest entry")
endif()

install(TARGETS korvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${packaging}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${packaging}/copyright DESTINATION ${doc_dir})

set(changelog_gz ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND gzip -9 -n -c ${packaging}/changelog > ${changelog_gz}
    DEPENDS ${packaging}/changelog VERBATIM)
add_custom_target(korvex_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${changelog_gz} DESTINATION ${doc_dir})

# The manual page is made from the built program's --help, so it lists every batch command.
find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM)
    set(man_page ${PROJECT_BINARY_DIR}/korvex.1)
    add_custom_command(OUTPUT ${man_page} ${man_page}.gz
        COMMAND ${CMAKE_COMMAND} -DKORVEX=$<TARGET_FILE:korvex> -DHELP2MAN=${HELP2MAN_PROGRAM}
                -DINCLUDE=${packaging}/korvex.h2m -DOUTPUT=${man_page}
                -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        DEPENDS korvex ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake ${packaging}/korvex.h2m VERBATIM)
    add_custom_target(korvex_man_page ALL DEPENDS ${man_page})
    install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
elseif(KORVEX_PACKAGE)
    message(FATAL_ERROR "The package needs help2man for the manual page (apt-get install help2man)")
else()
    message(STATUS "help2man not found: no manual page")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Equipo de Korvex")
set(CPACK_PACKAGE_CONTACT "Equipo de Korvex <equipo@korvex.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "presupuestos de obras de construcción")
set(CPACK_PACKAGE_DESCRIPTION
    "Programa de escritorio para el presupuesto de una obra de construcción:\n"
    "rubros, análisis de precios unitarios de materiales, equipo, mano de obra\n"
    "y transporte, presupuesto con IVA, listas de recursos, grupos y\n"
    "cronogramas, fórmula polinómica de reajuste, cuadrilla tipo y reportes\n"
    "impresos o en PDF. Los proyectos se guardan en archivos protegidos con\n"
    "contraseña. Incluye órdenes por lotes para la terminal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not bring: Qt's Spanish texts for its own dialogs and the fonts the
# reports are composed with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
