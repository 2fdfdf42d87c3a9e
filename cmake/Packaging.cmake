# A Debian package of the installed program; `make package` builds it with CPack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumarinda-passport)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumarinda")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Electronic passport editor for the Lumarinda school festival")
set(CPACK_PACKAGE_DESCRIPTION
    "Fills in the electronic passport of a work for the Lumarinda school festival: texts, sections, authors and\n supervisors, one illustration; previews it in the browser, saves it as a .qdx.xml file and opens it again.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumarinda festival organising committee <noreply@lumarinda.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The spell-checking library comes in through the computed dependencies; without the dictionaries
# the editor works unchecked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libxlsxwriter4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wine, hunspell-ru, hunspell-en-us")
include(CPack)
