# Debian packages, one per install component:
#   libkorva-envelope<SOVERSION>  the three shared libraries
#   libkorva-envelope-dev         headers, .so links, CMake package, korva-envelope.pc
#   korva-envelope-cli            envelope(1)
#   korva-envelope-test-window    the test window, its menu entry and icon
# CPack makes the project's one-line summary every package's synopsis; each
# description below follows it. Library dependencies come from dpkg-shlibdeps
# (dpkg-dev); the fonts are what the pages are laid out with, which no library
# dependency names.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korva-envelope)
set(CPACK_PACKAGE_VENDOR "Korva")
set(CPACK_PACKAGE_CONTACT "Korva developers <korva-dev@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL data libs dev cli test_window)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# A shlibs file for the library package, so packages built on it get a versioned dependency.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# The USPS tables every part that prints an envelope reads.
set(CPACK_DEBIAN_DATA_PACKAGE_NAME korva-envelope-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_DESCRIPTION "The USPS tables: ZIP Code prefixes and their states, street suffixes,
secondary unit designators, directionals and state codes, each naming its source.")
set(CPACK_COMPONENT_LIBS_DEPENDS data)
set(CPACK_COMPONENT_CLI_DEPENDS data)
set(CPACK_COMPONENT_TEST_WINDOW_DEPENDS data)

set(CPACK_DEBIAN_LIBS_PACKAGE_NAME libkorva-envelope${KORVA_ENVELOPE_SOVERSION})
set(CPACK_DEBIAN_LIBS_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBS_PACKAGE_DEPENDS fonts-liberation2)
# Fonts for the characters Liberation lacks; without them such a name is refused, never lost.
set(CPACK_DEBIAN_LIBS_PACKAGE_RECOMMENDS "fonts-noto-core, fonts-droid-fallback, fonts-nanum")
set(CPACK_DEBIAN_LIBS_DESCRIPTION "The libraries: the envelope report, the reporting engine it
runs on and the Windows-call layer over a Wine prefix, shared, for the host programs.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkorva-envelope-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_COMPONENT_DEV_DEPENDS libs)
set(CPACK_DEBIAN_DEV_DESCRIPTION "The development files: headers, the CMake
package KorvaEnvelope and the pkg-config file korva-envelope, for building host programs.")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME korva-envelope-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_CLI_DESCRIPTION "The command line: envelope prints one
envelope on a CUPS queue or into a PDF or PNG file; copied under a host program's
name it prints that office's return address.")

set(CPACK_DEBIAN_TEST_WINDOW_PACKAGE_NAME korva-envelope-test-window)
set(CPACK_DEBIAN_TEST_WINDOW_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_TEST_WINDOW_DESCRIPTION "The test window: one button that prints the sample envelope.")

include(CPack)
