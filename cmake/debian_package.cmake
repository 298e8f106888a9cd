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
# The libraries come from what the program is linked against (dpkg-shlibdeps;
# libqt6gui6 holds the xcb and offscreen platforms too). The window's buttons
# take their font from the system at run time, which no library names: the
# condensed face is preferred, DejaVu Sans is enough for every caption to fit.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra")
include(CPack)
