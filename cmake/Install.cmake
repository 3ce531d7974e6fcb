# What a host program links, and how it is installed and packaged.
#
# The in-tree libraries stay static: the tests and our own programs use their
# internals. The engine, the platform layer and the envelope report are also
# linked, from the very same object files, into shared libraries for host
# programs. Everything is compiled with hidden visibility; a class is exported
# only when its header marks it with its library's export macro (the public API,
# and what one of our shared libraries needs from another). A shared library
# refuses to link with an undefined symbol, so a missing export shows up here
# rather than in a host program.
#
# ABI: the shared libraries carry SOVERSION = the project's major version, and the
# major version goes up with every incompatible change of the installed headers
# (rptEnvelope's data members included) or of an exported symbol. The CMake
# package promises the same (SameMajorVersion).

include(GNUInstallDirs)
include(GenerateExportHeader)
include(CMakePackageConfigHelpers)

# Debian keeps libraries in the multiarch folder under /usr/local too, so one
# build tree serves `cmake --install` and the /usr packages alike. (Qt has set
# CMAKE_INSTALL_LIBDIR already, to plain lib outside /usr.)
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(_korva_libdir lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(_korva_libdir ${CMAKE_INSTALL_LIBDIR})
endif()
set(ENVELOPE_INSTALL_LIBDIR ${_korva_libdir} CACHE PATH
  "Where the libraries, the CMake package and the .pc file go, below the install prefix")

set(KORVA_ENVELOPE_SOVERSION ${PROJECT_VERSION_MAJOR})
set(KORVA_INCLUDE_SUBDIR korva-envelope)
set(KORVA_CMAKE_DIR ${ENVELOPE_INSTALL_LIBDIR}/cmake/KorvaEnvelope)
set(KORVA_EXPORT_DIR ${PROJECT_BINARY_DIR}/exports)

# The static libraries each shared library is made of: the engine's parts make
# one library; folders_settings, postal and the batch have no host-facing API of
# their own and go into the envelope report's.
set(_korva_engine_parts engine_base engine_settings engine_records engine_model engine_render engine_pdf engine_print
  engine_report)
set(_korva_envelope_parts envelope_report envelope_batch postal_codes postal_addresses folders_settings)
set(_korva_shared_of_platform korva_platform)
foreach(part IN LISTS _korva_engine_parts)
  set(_korva_shared_of_${part} korva_reporting_engine)
endforeach()
foreach(part IN LISTS _korva_envelope_parts)
  set(_korva_shared_of_${part} korva_envelope_report)
endforeach()

# korva_shared_library(shared_target EXPORT_NAME name OUTPUT_NAME file
#                      FROM static... PUBLIC deps...)
function(korva_shared_library target)
  cmake_parse_arguments(ARG "" "EXPORT_NAME;OUTPUT_NAME" "FROM;PUBLIC" ${ARGN})
  set(objects)
  set(private)
  foreach(static IN LISTS ARG_FROM)
    list(APPEND objects $<TARGET_OBJECTS:${static}>)
    get_target_property(deps ${static} LINK_LIBRARIES)
    foreach(dep IN LISTS deps)
      if(dep STREQUAL "envelope_warnings")
        continue() # compile options only; there is nothing left to compile
      elseif(DEFINED _korva_shared_of_${dep})
        set(dep ${_korva_shared_of_${dep}})
      endif()
      if(NOT dep STREQUAL target AND NOT dep IN_LIST ARG_PUBLIC)
        list(APPEND private ${dep})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES private)

  add_library(${target} SHARED ${objects})
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${ARG_EXPORT_NAME}
    OUTPUT_NAME ${ARG_OUTPUT_NAME}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${KORVA_ENVELOPE_SOVERSION}
    LINKER_LANGUAGE CXX
    AUTOMOC OFF
    # They find each other in any prefix, not only in the linker's own folders.
    INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${private})
  # Clang links sanitizer runtimes into executables only, leaving their symbols
  # undefined in a shared library: check only builds without sanitizers.
  if(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS}" MATCHES "-fsanitize=")
    target_link_options(${target} PRIVATE LINKER:--no-undefined)
  endif()
  target_include_directories(${target} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<BUILD_INTERFACE:${KORVA_EXPORT_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/${KORVA_INCLUDE_SUBDIR}>)
  # The installed headers need no more than C++17; the host picks its own standard.
  target_compile_features(${target} INTERFACE cxx_std_17)
endfunction()

# Hidden visibility; the export headers (<folder>/<Name>Export.h) are made below.
foreach(lib platform ${_korva_engine_parts} ${_korva_envelope_parts})
  set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${lib} PUBLIC $<BUILD_INTERFACE:${KORVA_EXPORT_DIR}>)
endforeach()

korva_shared_library(korva_platform EXPORT_NAME platform OUTPUT_NAME korva-platform
  FROM platform PUBLIC Qt6::Core)
korva_shared_library(korva_reporting_engine EXPORT_NAME reporting_engine OUTPUT_NAME korva-engine
  FROM ${_korva_engine_parts} PUBLIC Qt6::Core)
korva_shared_library(korva_envelope_report EXPORT_NAME envelope_report OUTPUT_NAME korva-envelope
  FROM ${_korva_envelope_parts} PUBLIC korva_reporting_engine Qt6::Core)
# Made for the shared targets (for a static one the macros would be empty); the
# static libraries compile the same objects with them.
generate_export_header(korva_platform BASE_NAME KORVA_PLATFORM EXPORT_MACRO_NAME PLATFORM_EXPORT
  EXPORT_FILE_NAME ${KORVA_EXPORT_DIR}/platform/PlatformExport.h)
generate_export_header(korva_reporting_engine BASE_NAME KORVA_ENGINE EXPORT_MACRO_NAME ENGINE_EXPORT
  EXPORT_FILE_NAME ${KORVA_EXPORT_DIR}/reporting_engine/EngineExport.h)
generate_export_header(korva_envelope_report BASE_NAME KORVA_ENVELOPE EXPORT_MACRO_NAME ENVELOPE_EXPORT
  EXPORT_FILE_NAME ${KORVA_EXPORT_DIR}/envelope_report/EnvelopeExport.h)
generate_export_header(korva_envelope_report BASE_NAME KORVA_POSTAL EXPORT_MACRO_NAME POSTAL_EXPORT
  EXPORT_FILE_NAME ${KORVA_EXPORT_DIR}/postal/PostalExport.h)

# --- Libraries (runtime) and the development files ---------------------------
install(TARGETS korva_platform korva_reporting_engine korva_envelope_report
  EXPORT KorvaEnvelopeTargets
  LIBRARY DESTINATION ${ENVELOPE_INSTALL_LIBDIR} COMPONENT libs NAMELINK_COMPONENT dev)

# Only what a host program needs: create the report, set its members, choose a
# destination, print, and catch EngineError (DatabaseConnection.h for the
# read-only database connection its SQL runs on).
install(FILES
    envelope_report/MailSettings.h
    envelope_report/rptEnvelope.h
    ${KORVA_EXPORT_DIR}/envelope_report/EnvelopeExport.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${KORVA_INCLUDE_SUBDIR}/envelope_report COMPONENT dev)
# The engine's headers lie in its parts' folders. Host programs include them by
# the names they had in version 1.0 (<reporting_engine/Report.h>), so each of
# those is also installed as a header that includes its part's.
set(_korva_engine_headers
  base/EngineError.h base/PagePlacement.h
  model/Barcode.h model/Control.h model/Fields.h model/PageSettings.h model/PrinterSettings.h model/Section.h
  model/TextBox.h model/TextStyle.h
  print/CupsPrinter.h print/InputTray.h print/MediaSourceChooser.h print/MediaTypeChooser.h print/PrintDestination.h
  print/PrintOutcome.h print/PrinterProfile.h print/PrinterProfiles.h
  records/DatabaseConnection.h records/RecordSource.h
  report/Report.h report/PrintJobPlan.h
  settings/LayeredSettings.h settings/SettingsFile.h)
foreach(header IN LISTS _korva_engine_headers)
  cmake_path(GET header PARENT_PATH part)
  cmake_path(GET header FILENAME name)
  install(FILES reporting_engine/${header}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${KORVA_INCLUDE_SUBDIR}/reporting_engine/${part} COMPONENT dev)
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/compat-headers/reporting_engine/${name}
    CONTENT "#pragma once\n\n// The name of version 1.0; the header is its part's.\n#include \"reporting_engine/${header}\"\n")
  install(FILES ${PROJECT_BINARY_DIR}/compat-headers/reporting_engine/${name}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${KORVA_INCLUDE_SUBDIR}/reporting_engine COMPONENT dev)
endforeach()
install(FILES ${KORVA_EXPORT_DIR}/reporting_engine/EngineExport.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${KORVA_INCLUDE_SUBDIR}/reporting_engine COMPONENT dev)

install(EXPORT KorvaEnvelopeTargets NAMESPACE KorvaEnvelope::
  DESTINATION ${KORVA_CMAKE_DIR} COMPONENT dev)
# The Qt modules the libraries link: the package finds them for its consumers,
# since CMake names the privately linked ones too (for the linker's rpath-link).
set(KORVA_QT_COMPONENTS)
foreach(lib korva_platform korva_reporting_engine korva_envelope_report)
  get_target_property(deps ${lib} LINK_LIBRARIES)
  foreach(dep IN LISTS deps)
    if(dep MATCHES "^Qt6::(.+)$")
      list(APPEND KORVA_QT_COMPONENTS ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES KORVA_QT_COMPONENTS)
list(JOIN KORVA_QT_COMPONENTS " " KORVA_QT_COMPONENTS)
configure_package_config_file(cmake/KorvaEnvelopeConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KorvaEnvelopeConfig.cmake INSTALL_DESTINATION ${KORVA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorvaEnvelopeConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorvaEnvelopeConfig.cmake ${PROJECT_BINARY_DIR}/KorvaEnvelopeConfigVersion.cmake
  DESTINATION ${KORVA_CMAKE_DIR} COMPONENT dev)

# The .pc file finds its prefix from where it lies, so it works under any prefix.
file(RELATIVE_PATH KORVA_PC_TO_PREFIX
  ${CMAKE_INSTALL_PREFIX}/${ENVELOPE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KORVA_PC_TO_PREFIX "${KORVA_PC_TO_PREFIX}")
configure_file(cmake/korva-envelope.pc.in ${PROJECT_BINARY_DIR}/korva-envelope.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korva-envelope.pc
  DESTINATION ${ENVELOPE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# --- The USPS tables -----------------------------------------------------------
# Found from the program or library that reads them, so they go with it into any
# prefix (the Debian packages' /usr as well as `cmake --install`'s).
set(KORVA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/korva-envelope)
file(RELATIVE_PATH _korva_bin_to_data /${CMAKE_INSTALL_BINDIR} /${KORVA_DATA_DIR})
file(RELATIVE_PATH _korva_lib_to_data /${ENVELOPE_INSTALL_LIBDIR} /${KORVA_DATA_DIR})
target_compile_definitions(postal_addresses PRIVATE POSTAL_BIN_TO_DATA="${_korva_bin_to_data}"
  POSTAL_LIB_TO_DATA="${_korva_lib_to_data}")
install(DIRECTORY postal/addresses/data/ DESTINATION ${KORVA_DATA_DIR} COMPONENT data FILES_MATCHING PATTERN "*.txt")

# --- Programs -----------------------------------------------------------------
# Our own programs keep the static libraries (they use more than the exported API).
install(TARGETS envelope RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
install(TARGETS envelope-test-window RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT test_window)

find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/envelope.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/envelope.1 > ${PROJECT_BINARY_DIR}/packaging/envelope.1.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/envelope.1
  COMMENT "Compressing the envelope(1) manual page")
add_custom_target(envelope_man_page ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/envelope.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/envelope.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)

install(FILES packaging/korva-envelope-test-window.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT test_window)
install(FILES packaging/korva-envelope-test-window.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT test_window)

include(${CMAKE_CURRENT_LIST_DIR}/Packaging.cmake)
