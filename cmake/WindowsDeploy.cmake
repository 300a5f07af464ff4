# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows folder made self-contained, as windeployqt lays a program out:
# the Qt DLLs the programs link beside them, the windows platform plugin in
# platforms/ and the native look in styles/, the compiler's runtime DLLs, and
# the licence texts of all of these in licenses/. For a MinGW build against a
# Qt made by tools/qt-mingw.sh (./package.sh --windows); an MSVC or Qt
# installer build uses windeployqt instead (README).
if(NOT MINGW)
    message(FATAL_ERROR "ORV_DEPLOY_QT is for MinGW builds; run windeployqt otherwise")
endif()

function(orv_install_imported target destination)
    get_target_property(location ${target} IMPORTED_LOCATION_RELEASE)
    if(NOT location)
        get_target_property(location ${target} IMPORTED_LOCATION)
    endif()
    if(NOT location OR NOT EXISTS "${location}")
        message(FATAL_ERROR "No DLL for ${target} (${location})")
    endif()
    install(FILES ${location} DESTINATION ${destination})
endfunction()

foreach(module ${ORV_QT_DLL_MODULES})
    orv_install_imported(Qt${ORV_QT_MAJOR}::${module} .)
endforeach()
orv_install_imported(Qt${ORV_QT_MAJOR}::QWindowsIntegrationPlugin platforms)
orv_install_imported(Qt${ORV_QT_MAJOR}::QWindowsVistaStylePlugin styles)

# The C++ runtime (cmake/Windows.cmake).
foreach(path ${ORV_RUNTIME_DLLS})
    get_filename_component(dll ${path} NAME)
    install(FILES ${path} DESTINATION .)
    # Debian ships them with their debugging symbols: libstdc++ alone is 23 MB.
    install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dll}\" COMMAND_ERROR_IS_FATAL ANY)")
endforeach()

# Licence texts, with Windows line ends: Qt's (LGPL 3, copied into the Qt
# prefix by tools/qt-mingw.sh; the GPL 3 it builds on is LICENSE.txt), the
# notices of the third-party code compiled into the Qt DLLs (listed in the
# prefix by tools/qt-notices.py from what the Qt build enabled), and those of
# the runtime DLLs, as the Debian packages that ship them state.
get_target_property(ORV_QT_CORE_DLL Qt${ORV_QT_MAJOR}::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(ORV_QT_PREFIX "${ORV_QT_CORE_DLL}/../.." ABSOLUTE)
set(ORV_QT_NOTICES ${ORV_QT_PREFIX}/licenses/third-party.list)
if(NOT EXISTS ${ORV_QT_NOTICES})
    message(FATAL_ERROR "${ORV_QT_NOTICES} is missing: run tools/qt-mingw.sh")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORV_QT_NOTICES})
file(STRINGS ${ORV_QT_NOTICES} notices)
set(ORV_RUNTIME_LICENCES
    "${ORV_QT_PREFIX}/licenses/LICENSE.LGPL3|Qt-LGPL-3.txt"
    "/usr/share/doc/gcc-mingw-w64-base/copyright|mingw-gcc-runtime.txt"
    "/usr/share/doc/mingw-w64-common/copyright|mingw-w64-winpthreads.txt")
foreach(notice ${notices})
    list(APPEND ORV_RUNTIME_LICENCES "${ORV_QT_PREFIX}/licenses/${notice}|${notice}")
endforeach()
foreach(entry ${ORV_RUNTIME_LICENCES})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 file)
    list(GET entry 1 name)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "Licence text ${file} is missing")
    endif()
    orv_crlf_copy(${file} ${CMAKE_BINARY_DIR}/licenses/${name})
    install(FILES ${CMAKE_BINARY_DIR}/licenses/${name} DESTINATION licenses)
endforeach()
