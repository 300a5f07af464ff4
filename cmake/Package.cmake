# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by ./package.sh (cpack -G DEB), and on Windows the
# zip of the program's folder (./package.sh --windows). Its dependencies
# are what dpkg-shlibdeps finds the installed programs linking, so a Qt 5
# build depends on the Qt 5 libraries and a Qt 6 build on the Qt 6 ones.
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
    "simulated sensor sensor-sim lets both be tried without hardware."
    "orvante-ctl publish is a gateway into an MQTT broker, also as the systemd"
    "service orvante-gateway@NAME.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # orvante-usart-<version>-windows-x64.zip, unpacking to a folder of that name.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${ORV_WINDOWS_PACKAGE})
    set(CPACK_PACKAGING_INSTALL_PREFIX "")
    include(CPack)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORV_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Every Debian package carries its copyright (machine-readable) and its
# changelog in its doc folder. The changelog's newest entry must be this
# release.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
# The gateway's service runs as a system user of its own, which postinst
# makes with adduser; a broker and its clients, to try it on one machine.
if(ORV_PUBLISH)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto, mosquitto-clients")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/dist/gateway/postinst
                                           ${PROJECT_SOURCE_DIR}/dist/gateway/postrm)
endif()
if(UNIX AND NOT APPLE)
    file(STRINGS ${PROJECT_SOURCE_DIR}/dist/changelog ORV_CHANGELOG_TOP LIMIT_COUNT 1)
    set(ORV_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
    if(NOT ORV_CHANGELOG_TOP MATCHES "^orvante-usart \\(${ORV_DEBIAN_VERSION}\\) ")
        message(FATAL_ERROR "dist/changelog starts with '${ORV_CHANGELOG_TOP}': add an entry "
                            "for ${ORV_DEBIAN_VERSION} at its top")
    endif()
    set(ORV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvante-usart)
    configure_file(dist/copyright.in ${CMAKE_BINARY_DIR}/dist/copyright @ONLY)
    find_program(ORV_GZIP_PROGRAM gzip REQUIRED)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
        COMMAND ${ORV_GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/dist/changelog
                > ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/dist/changelog
        COMMENT "Debian changelog"
        VERBATIM)
    add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz)
    install(FILES ${CMAKE_BINARY_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
            DESTINATION ${ORV_DOC_DIR})
    # The one lintian warning that does not apply here, with the reason.
    install(FILES dist/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME orvante-usart)
endif()

include(CPack)
