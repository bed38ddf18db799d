# SPDX-License-Identifier: MIT
# Debian packages, the way Debian ships a library: the runtime library (with
# the udev rules, which every program using it needs), its -dev package, the
# command-line tool and the desktop application. Dependencies come from
# dpkg-shlibdeps. `scripts/setup.sh package` runs cpack on the release build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scriba8-t3plus)
set(CPACK_PACKAGE_VENDOR "Scriba8")
set(CPACK_PACKAGE_CONTACT "Scriba8 T3Plus maintainers <maintainers@scriba8.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Software for the Scriba8 T3Plus 8051 device programmer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file (and the ldconfig trigger) for the package with the library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The tools link the library of this very build (built into library/), which
# no installed package provides yet.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/library)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://scriba8.invalid/t3plus")

set(CPACK_COMPONENTS_ALL library development tools)
if(TARGET Scriba8_T3Plus_AP)
  list(APPEND CPACK_COMPONENTS_ALL application)
endif()

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libscriba8-t3plus${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
  "Device library of the Scriba8 T3Plus programmer\n The shared library Scriba8_T3Plus_DLL drives the programmer over USB HID and\n holds the chip database, and the udev rules let the user at the seat use the\n programmer without root.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libscriba8-t3plus-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Development files of the Scriba8 T3Plus device library\n The C header, the pkg-config file scriba8-t3plus and the CMake package\n Scriba8T3Plus.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME scriba8)
set(CPACK_COMPONENT_TOOLS_DEPENDS library)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
  "Command-line tool for the Scriba8 T3Plus programmer\n scriba8 checks, erases, programs, verifies and dumps 8051-family chips from\n scripts and production lines.")

set(CPACK_DEBIAN_APPLICATION_PACKAGE_NAME scriba8-t3plus-ap)
set(CPACK_COMPONENT_APPLICATION_DEPENDS library)
# Qt loads its platform plugin at run time, out of dpkg-shlibdeps' sight; the
# Chinese interface needs a CJK font.
set(CPACK_DEBIAN_APPLICATION_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_APPLICATION_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_COMPONENT_APPLICATION_DESCRIPTION
  "Desktop application for the Scriba8 T3Plus programmer\n Scriba8_T3Plus_AP, the operator's program: buffers, options panel, device\n commands, projects and off-line mode.")

include(CPack)
