# A Debian package of the installed program; `make package` builds it with CPack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumarinda-passport)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumarinda")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Electronic passport editor for the Lumarinda school festival")
# Debian shows the description as it stands: lines of at most 79 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Fills in the electronic passport of a work for the Lumarinda school festival:
texts, sections, authors and supervisors, one illustration; previews it in the
browser, saves it as a .qdx.xml file and opens it again.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumarinda festival organising committee <noreply@lumarinda.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The libraries the program links (spell checking, spreadsheets) come in through the computed
# dependencies; without the dictionaries the editor works unchecked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wine, hunspell-ru, hunspell-en-us")

# Beside every Debian package: its copyright in the machine-readable format and its changelog,
# dated from the release the AppStream metadata names.
set(LUMARINDA_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
execute_process(COMMAND date -u -R -d "${LUMARINDA_RELEASE_DATE} 00:00:00" OUTPUT_VARIABLE LUMARINDA_RELEASE_TIME
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(lumarinda_changelog ${PROJECT_BINARY_DIR}/data/debian/changelog)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${lumarinda_changelog} @ONLY)
add_custom_command(
    OUTPUT ${lumarinda_changelog}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${lumarinda_changelog} > ${lumarinda_changelog}.gz
    DEPENDS ${lumarinda_changelog}
    COMMENT "Compressing the package changelog")
add_custom_target(lumarinda_package_changelog ALL DEPENDS ${lumarinda_changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${lumarinda_changelog}.gz
        DESTINATION ${LUMARINDA_PACKAGE_DOC_DIR})

include(CPack)
