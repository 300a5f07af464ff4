# SPDX-License-Identifier: GPL-3.0-or-later
# Where the program goes. On Windows: the executables, img/, the licence and a
# short README at the top of the folder, where windeployqt (or, for the
# cross build, cmake/WindowsDeploy.cmake) puts the Qt and runtime libraries.
# Elsewhere: the executable and img/ in libexec/orvante-usart/ (it loads its
# icon from beside itself) and a link to it in bin/.
option(ORV_DEPLOY_QT "Windows: install the Qt and compiler runtime DLLs beside the programs" OFF)
if(WIN32)
    install(TARGETS orvante-usart RUNTIME DESTINATION .)
    install(FILES img/ORV_DD.png DESTINATION img)
    # A text file opened in Notepad has Windows line ends.
    function(orv_crlf_copy source destination)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
        file(READ ${source} text)
        string(REPLACE "\r\n" "\n" text "${text}")
        string(REPLACE "\n" "\r\n" text "${text}")
        file(WRITE ${destination} "${text}")
    endfunction()
    orv_crlf_copy(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/dist/LICENSE.txt)
    install(FILES ${CMAKE_BINARY_DIR}/dist/LICENSE.txt DESTINATION .)
    # Its source offer is many lines in one value: line ends made afterwards.
    configure_file(dist/README-windows.txt.in ${CMAKE_BINARY_DIR}/dist/README-windows.txt.lf @ONLY)
    orv_crlf_copy(${CMAKE_BINARY_DIR}/dist/README-windows.txt.lf
                  ${CMAKE_BINARY_DIR}/dist/README-windows.txt)
    install(FILES ${CMAKE_BINARY_DIR}/dist/README-windows.txt DESTINATION .)
    if(ORV_DEPLOY_QT)
        include(cmake/WindowsDeploy.cmake)
    endif()
    return()
endif()

set(ORV_LIBEXEC ${CMAKE_INSTALL_LIBEXECDIR}/orvante-usart)
install(TARGETS orvante-usart RUNTIME DESTINATION ${ORV_LIBEXEC})
install(FILES img/ORV_DD.png DESTINATION ${ORV_LIBEXEC}/img)

# The bin/ link is made here, in the build tree, and installed like any file,
# so that the install manifest and the package list it.
file(RELATIVE_PATH ORV_LINK_TARGET ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/orvante-usart/orvante-usart)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/links)
file(CREATE_LINK ${ORV_LINK_TARGET} ${CMAKE_BINARY_DIR}/links/orvante-usart SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/links/orvante-usart DESTINATION ${CMAKE_INSTALL_BINDIR})

orv_add_manpage(orvante-usart dist/orvante-usart.h2m)

if(APPLE)
    return()
endif()

# Desktop menu entry, AppStream metadata and the icon in the hicolor theme,
# all named by the application id.
configure_file(dist/orvante-usart.desktop.in ${CMAKE_BINARY_DIR}/dist/${ORV_APP_ID}.desktop @ONLY)
configure_file(dist/orvante-usart.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${ORV_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${ORV_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${ORV_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The theme's usual sizes up to that of img/ORV_DD.png (128), scaled from it
# at build time by orv-iconsizes (tools/).
set(ORV_ICON_SIZES 16 22 24 32 48 64 128)
set(ORV_ICON_FILES)
foreach(size ${ORV_ICON_SIZES})
    list(APPEND ORV_ICON_FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/${ORV_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${ORV_ICON_FILES}
    COMMAND orv-iconsizes ${CMAKE_CURRENT_SOURCE_DIR}/img/ORV_DD.png ${CMAKE_BINARY_DIR}/icons
            ${ORV_APP_ID} ${ORV_ICON_SIZES}
    DEPENDS orv-iconsizes img/ORV_DD.png
    COMMENT "Icons at ${ORV_ICON_SIZES} pixels"
    VERBATIM)
add_custom_target(icons ALL DEPENDS ${ORV_ICON_FILES})
foreach(size ${ORV_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/${ORV_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The MQTT gateway as a systemd service, one instance per sensor
# (orvante-gateway@NAME.service, in /usr/lib/systemd/system from the
# package), an example of its configuration and its topics beside the other
# docs.
if(ORV_PUBLISH)
    install(FILES dist/gateway/orvante-gateway@.service DESTINATION lib/systemd/system)
    install(FILES dist/gateway/gateway.conf.example
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvante-usart/examples RENAME gateway.conf)
    install(FILES docs/mqtt.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvante-usart)
endif()
