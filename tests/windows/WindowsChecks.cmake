# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build's checks, run by ./test.sh --windows on Linux: the suites
# above under Wine, and what a Windows user gets: the zip has every DLL its
# programs import, orvante-ctl.exe talks through a COM port and to ser2net
# over the network, orvante-usart.exe
# at 150 % shows the settings page whole, opens the port and measures, the
# executables carry their icon, version and manifest, and the installer
# installs and uninstalls cleanly.
#
# Wine runs everything in one prefix, made (once) by the wine_prefix fixture;
# a COM port there is a registry value naming a device of this machine, here
# the native simulator's pseudo-terminal (ORV_NATIVE_BUILD holds it, and the
# native orvante-ctl whose bytes the Windows one must match).
set(ORV_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "Wine prefix for the Windows checks")
set(ORV_NATIVE_BUILD "" CACHE PATH
    "A Linux build of this tree (sensor-sim, orvante-ctl) for the COM-port checks")
set(ORV_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/${ORV_WINDOWS_PACKAGE}.zip)
set(ORV_WINDOWS_DIR ${CMAKE_CURRENT_SOURCE_DIR}/windows)

# The test programs find the Qt DLLs (QtTest's among them), the platform
# plugin and the compiler's runtime beside them, as a deployed program does.
set(ORV_TEST_DLLS ${ORV_RUNTIME_DLLS})
foreach(module ${ORV_QT_DLL_MODULES} Test)
    list(APPEND ORV_TEST_DLLS $<TARGET_FILE:Qt${ORV_QT_MAJOR}::${module}>)
endforeach()

add_test(NAME wine_prefix COMMAND sh ${ORV_WINDOWS_DIR}/prefix.sh ${ORV_WINEPREFIX}
                                     ${CMAKE_BINARY_DIR}
                                     $<TARGET_FILE:Qt${ORV_QT_MAJOR}::QWindowsIntegrationPlugin>
                                     ${ORV_TEST_DLLS})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)

set(ORV_WINE_ENVIRONMENT WINEPREFIX=${ORV_WINEPREFIX} WINEDEBUG=-all QT_QPA_PLATFORM=windows
                         QTEST_FUNCTION_TIMEOUT=60000)
foreach(suite ${ORV_SUITES})
    string(REGEX REPLACE "^tst_(.*)\\.cpp$" "\\1" name ${suite})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ORV_WINE_ENVIRONMENT}"
                                            FIXTURES_REQUIRED wine RESOURCE_LOCK wine)
endforeach()

add_test(NAME windows_imports COMMAND sh ${ORV_WINDOWS_DIR}/imports.sh ${ORV_WINDOWS_ZIP})
add_test(NAME windows_comport COMMAND sh ${ORV_WINDOWS_DIR}/comport.sh ${ORV_WINDOWS_ZIP}
                                         ${ORV_NATIVE_BUILD})
add_test(NAME windows_window COMMAND sh ${ORV_WINDOWS_DIR}/window.sh ${ORV_WINDOWS_ZIP}
                                        ${ORV_NATIVE_BUILD} ${CMAKE_BINARY_DIR}/windows.png
                                        ${CMAKE_BINARY_DIR}/windows-settings.png)
add_test(NAME windows_options COMMAND sh ${ORV_WINDOWS_DIR}/options.sh ${ORV_WINDOWS_ZIP})
# orvante-ctl.exe talks to ser2net: Wine's sockets have none of the COM port's limits.
add_test(NAME windows_network COMMAND sh ${ORV_WINDOWS_DIR}/network.sh ${ORV_WINDOWS_ZIP}
                                         ${ORV_NATIVE_BUILD})
set_tests_properties(windows_imports windows_comport windows_window windows_options
                     windows_network PROPERTIES
    ENVIRONMENT "WINEPREFIX=${ORV_WINEPREFIX}" FIXTURES_REQUIRED wine RESOURCE_LOCK wine
    TIMEOUT 300)
# What a Windows user gets beyond the zip: the icon, version and manifest in
# both executables, and the installer (made by ./test.sh --windows as by
# ./package.sh --windows) in a Wine prefix of its own.
add_test(NAME windows_resources COMMAND sh ${ORV_WINDOWS_DIR}/resources.sh ${ORV_WINDOWS_ZIP}
                                           ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR}/img/ORV_DD.png)
add_test(NAME windows_installer COMMAND sh ${ORV_WINDOWS_DIR}/installer.sh
                                           ${CMAKE_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}-setup.exe
                                           ${ORV_WINDOWS_ZIP} ${PROJECT_VERSION})
set_tests_properties(windows_installer PROPERTIES RESOURCE_LOCK wine TIMEOUT 300)
# orvante-ctl.exe's port errors and help speak of Windows, not Linux.
add_test(NAME windows_advice COMMAND sh ${ORV_WINDOWS_DIR}/advice.sh ${ORV_WINDOWS_ZIP})
set_tests_properties(windows_advice PROPERTIES ENVIRONMENT "WINEPREFIX=${ORV_WINEPREFIX}"
    FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 300)
