# The Debian package: `cpack -G DEB` in a build folder (tools/setup.sh package) packs what
# `cmake --install` puts under /usr into quillora_<version>_<arch>.deb, its library
# dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillora)
set(CPACK_PACKAGE_VENDOR "Quillora developers")
set(CPACK_PACKAGE_CONTACT "Quillora developers <quillora@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person maze game with paint balls")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Walk through a maze on hilly ground and reach the finish gate within\n"
       "300 seconds. Throw paint balls to mark the corridors you have tried;\n"
       "ducks, cars and a croctopus in the maze pay bonuses. Plays with keyboard\n"
       "and mouse or a gamepad, and keeps your best times.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Packing reuses the build as it is: it never builds everything (tests, benchmark) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
