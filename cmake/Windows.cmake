# SPDX-License-Identifier: GPL-3.0-or-later
# What the Windows build knows once: the DLLs a program of this project loads
# besides Windows' own (cmake/WindowsDeploy.cmake ships them, the Windows
# checks put them beside the test programs), the resources each .exe carries
# (orv_windows_resources), the written offer of the source, and the
# installer's script (dist/windows/installer.nsi.in, run by package.sh).

# The Qt modules the shipped programs link (the test programs add Test), and
# the C++ runtime of the posix thread model with its threads library.
set(ORV_QT_DLL_MODULES Core Gui Widgets SerialPort Network)
set(ORV_RUNTIME_DLL_NAMES libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
set(ORV_RUNTIME_DLLS)
foreach(dll ${ORV_RUNTIME_DLL_NAMES})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    list(APPEND ORV_RUNTIME_DLLS ${path})
endforeach()

# Who makes it, as Explorer, the installer and "Apps & features" name it.
set(ORV_PRODUCT_NAME ORVANTE_USART)
set(ORV_PUBLISHER "ORVANTE_USART maintainers")
string(SUBSTRING ${ORV_RELEASE_DATE} 0 4 ORV_COPYRIGHT_YEAR)

# The program's icon at the sizes Windows asks for, from the one picture the
# window and the Linux desktop use (ImageMagick).
enable_language(RC)
find_program(ORV_CONVERT convert REQUIRED)
set(ORV_WINDOWS_ICON ${CMAKE_BINARY_DIR}/dist/orvante-usart.ico)
add_custom_command(OUTPUT ${ORV_WINDOWS_ICON}
    COMMAND ${ORV_CONVERT} ${PROJECT_SOURCE_DIR}/img/ORV_DD.png
            -define icon:auto-resize=256,128,64,48,40,32,24,20,16 ${ORV_WINDOWS_ICON}
    DEPENDS ${PROJECT_SOURCE_DIR}/img/ORV_DD.png
    COMMENT "Windows icon"
    VERBATIM)
add_custom_target(orv_windows_icon DEPENDS ${ORV_WINDOWS_ICON})

# The version as Windows writes it: four numbers.
set(ORV_RC_MINOR 0)
set(ORV_RC_PATCH 0)
if(PROJECT_VERSION_MINOR)
    set(ORV_RC_MINOR ${PROJECT_VERSION_MINOR})
endif()
if(PROJECT_VERSION_PATCH)
    set(ORV_RC_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(ORV_RC_VERSION4 ${PROJECT_VERSION_MAJOR}.${ORV_RC_MINOR}.${ORV_RC_PATCH}.0)

# orv_windows_resources(<target> <description>): the icon, a VERSIONINFO with
# the project's version and a manifest (per-monitor DPI aware, common controls
# 6, no elevation) compiled into the executable.
function(orv_windows_resources target description)
    get_target_property(ORV_RC_NAME ${target} OUTPUT_NAME)
    if(NOT ORV_RC_NAME)
        set(ORV_RC_NAME ${target})
    endif()
    set(ORV_RC_DESCRIPTION ${description})
    set(ORV_RC_ICON ${ORV_WINDOWS_ICON})
    set(ORV_RC_MANIFEST ${CMAKE_BINARY_DIR}/dist/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/app.manifest.in ${ORV_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/version.rc.in
                   ${CMAKE_BINARY_DIR}/dist/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/dist/${target}.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/dist/${target}.rc TARGET_DIRECTORY ${target} PROPERTIES
                                OBJECT_DEPENDS "${ORV_WINDOWS_ICON};${ORV_RC_MANIFEST}")
    add_dependencies(${target} orv_windows_icon)
endfunction()

# The written offer of the source, in README-windows.txt and on the
# installer's licence page, above the GPL.
set(ORV_QT_VERSION ${Qt${ORV_QT_MAJOR}_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/source-offer.txt.in
               ${CMAKE_BINARY_DIR}/dist/source-offer.txt @ONLY)
file(READ ${CMAKE_BINARY_DIR}/dist/source-offer.txt ORV_SOURCE_OFFER)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ORV_GPL_TEXT)
set(ORV_LICENCE_PAGE ${CMAKE_BINARY_DIR}/dist/licence-page.txt)
file(WRITE ${ORV_LICENCE_PAGE} "${ORV_SOURCE_OFFER}\n\n${ORV_GPL_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/installer.nsi.in
               ${CMAKE_BINARY_DIR}/dist/installer.nsi @ONLY)
