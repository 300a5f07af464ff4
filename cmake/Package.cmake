# The Debian package, built by ./package.sh (cpack -G DEB). Its dependencies
# are what dpkg-shlibdeps finds the installed programs linking, so a Qt 5
# build depends on the Qt 5 libraries and a Qt 6 build on the Qt 6 ones.
set(ORV_PACKAGE_MAINTAINER "ORVANTE_USART maintainers <maintainers@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvante-usart)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORV_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "A desktop program for the operator of a laser distance sensor on a serial"
    "port or a USB-to-serial adapter: open the port with one of eight line"
    "presets, switch the laser, take single or continuous measurements, read"
    "back and write the sensor's settings, and watch and log the raw traffic."
    "orvante-ctl does the same from scripts, without a display, and the"
    "simulated sensor sensor-sim lets both be tried without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORV_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
