# One warning set for every target of ours; third-party headers come in as system includes.
add_library(envelope_warnings INTERFACE)
target_compile_options(envelope_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wnull-dereference -Wimplicit-fallthrough
  $<$<BOOL:${ENVELOPE_WARNINGS_AS_ERRORS}>:-Werror>)
target_compile_definitions(envelope_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# envelope_add_library(name SOURCES ... DEPS ...): a static library whose
# headers are included as "folder/Header.h" from the source root.
function(envelope_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE envelope_warnings)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
