# One warning set for every target of ours; third-party headers come in as system includes.
add_library(envelope_warnings INTERFACE)
target_compile_options(envelope_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wnull-dereference -Wimplicit-fallthrough
  $<$<BOOL:${ENVELOPE_WARNINGS_AS_ERRORS}>:-Werror>)
target_compile_definitions(envelope_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# envelope_add_library(name SOURCES ... DEPS ...): a static library of the
# folder it is declared in. Its headers are included as "folder/Header.h", the
# folder's path from the source root, and only by the targets that link it: the
# library's include root holds nothing but a link to its own folder, so a part
# that includes another it has not declared in DEPS does not compile.
function(envelope_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  cmake_path(GET folder PARENT_PATH parent)
  file(MAKE_DIRECTORY ${root}/${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${root}>)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE envelope_warnings)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
