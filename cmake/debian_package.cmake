# The Debian package: `cpack -G DEB` in the build folder makes
# painter_<version>_<arch>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME painter)
set(CPACK_PACKAGE_VENDOR "Painter developers")
set(CPACK_PACKAGE_CONTACT "Painter developers <painter@painter.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "paints a greeting picture from a first and last name")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "paints a greeting picture from a first and last name\n"
    "Painter turns a name into a deterministic 700 x 525 generative-art\n"
    "greeting picture: a colour field in one of eighteen brush modes, ring\n"
    "ornaments and a greeting line. A window paints and saves it; the command\n"
    "line paints single pictures or lists of names without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
# The libraries come from what the program is linked against (dpkg-shlibdeps);
# Qt finds its platform plugins and the fonts at run time, so those are named.
# The buttons' face falls back to DejaVu Sans when the condensed one is missing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra")
include(CPack)
