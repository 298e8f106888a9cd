# The Debian package: `cpack -G DEB` in the build folder makes
# painter_<version>_<arch>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME painter)
set(CPACK_PACKAGE_VENDOR "Painter developers")
set(CPACK_PACKAGE_CONTACT "Painter developers <painter@painter.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "paints a greeting picture from a first and last name")
# The long description, which CPack puts under the summary as deb-control(5)
# asks (each line after a space). One string: a list would join its lines
# with semicolons.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Painter turns a name into a deterministic 700 x 525 generative-art\n"
    "greeting picture: a colour field in one of eighteen brush modes, ring\n"
    "ornaments and a greeting line. A window paints and saves it; the command\n"
    "line paints single pictures or lists of names without a display, prints\n"
    "cards, and serves pictures over HTTP.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Stripped as dh_strip does: symbols, and the sections nothing reads at run
# time (.comment holds the compiler's version), which strip alone keeps.
set(CPACK_STRIP_FILES ON)
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:painter>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
# The libraries come from what the program is linked against (dpkg-shlibdeps;
# libqt6gui6 holds the xcb and offscreen platforms too). The window's buttons
# take their font from the system at run time, which no library names: the
# condensed face is preferred, DejaVu Sans is enough for every caption to fit.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra")
include(CPack)
