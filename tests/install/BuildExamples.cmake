# Installs the build tree into a scratch prefix and builds examples/ against that
# prefix only: once with find_package(KorvaEnvelope), once with pkg-config.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DLIBDIR=lib/... -DGENERATOR=Ninja
#         -DCXX=c++ [-DCXX_FLAGS=...] [-DEXE_LINKER_FLAGS=...] -P BuildExamples.cmake
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK_DIR}/prefix)
set(examples ${WORK_DIR}/examples)
set(pkgconfig ${WORK_DIR}/pkgconfig)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " cmd)
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# A path below either tree that is not the scratch area means the examples saw
# more than the installed package.
function(check_outside_trees what path)
  cmake_path(IS_PREFIX WORK_DIR "${path}" NORMALIZE in_work)
  cmake_path(IS_PREFIX SOURCE_DIR "${path}" NORMALIZE in_source)
  cmake_path(IS_PREFIX BUILD_DIR "${path}" NORMALIZE in_build)
  set(examples_source ${SOURCE_DIR}/examples)
  cmake_path(IS_PREFIX examples_source "${path}" NORMALIZE in_examples)
  if(NOT in_work AND NOT in_examples AND (in_source OR in_build))
    message(FATAL_ERROR "${what} uses ${path}, outside the installed package")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Nothing from the caller's environment may point elsewhere.
unset(ENV{CMAKE_PREFIX_PATH})
unset(ENV{KorvaEnvelope_DIR})
unset(ENV{KorvaEnvelope_ROOT})
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{CXXFLAGS})
unset(ENV{LDFLAGS})

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${examples} -G ${GENERATOR}
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
  -DCMAKE_CXX_COMPILER=${CXX}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}"
  -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
  -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
file(STRINGS ${examples}/CMakeCache.txt found REGEX "^KorvaEnvelope_DIR:")
string(REGEX REPLACE "^[^=]*=" "" found "${found}")
cmake_path(COMPARE "${found}" EQUAL "${prefix}/${LIBDIR}/cmake/KorvaEnvelope" same)
if(NOT same)
  message(FATAL_ERROR "find_package(KorvaEnvelope) found ${found}, not the scratch prefix ${prefix}")
endif()
run(${CMAKE_COMMAND} --build ${examples} --parallel 2)

file(READ ${examples}/compile_commands.json commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON command GET "${commands}" ${i} command)
  string(REGEX MATCHALL "(-I|-isystem )[^ ]+" includes "${command}")
  foreach(include IN LISTS includes)
    string(REGEX REPLACE "^(-I|-isystem )" "" dir "${include}")
    check_outside_trees("the examples' compile command" "${dir}")
  endforeach()
endforeach()

set(hosts KorvaMain KorvaProbation KorvaJury KorvaPublicDefender)
foreach(host IN LISTS hosts)
  run(ldd ${examples}/${host})
  string(REGEX MATCHALL "libkorva-[a-z]+\\.so\\.[0-9]+ => [^ ]+" libs "${output}")
  list(LENGTH libs n)
  if(n LESS 2)
    message(FATAL_ERROR "${host} does not load the envelope report and the engine:\n${output}")
  endif()
  foreach(lib IN LISTS libs)
    string(REGEX REPLACE ".* => " "" path "${lib}")
    cmake_path(IS_PREFIX prefix "${path}" NORMALIZE from_prefix)
    if(NOT from_prefix)
      message(FATAL_ERROR "${host} loads ${path}, not the scratch prefix's library")
    endif()
  endforeach()
endforeach()

# The same program built with nothing but the .pc files.
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags korva-envelope Qt6Gui)
separate_arguments(cflags UNIX_COMMAND "${output}")
run(pkg-config --libs korva-envelope Qt6Gui)
separate_arguments(libs UNIX_COMMAND "${output}")
run(pkg-config --variable=libdir korva-envelope)
string(STRIP "${output}" libdir)
foreach(flag IN LISTS cflags)
  if(flag MATCHES "^-I(.*)")
    check_outside_trees("pkg-config --cflags" "${CMAKE_MATCH_1}")
  endif()
endforeach()
separate_arguments(extra UNIX_COMMAND "${CXX_FLAGS} ${EXE_LINKER_FLAGS}")
file(MAKE_DIRECTORY ${pkgconfig})
run(${CXX} -std=c++17 ${extra} ${cflags} ${SOURCE_DIR}/examples/host_program.cpp
  -o ${pkgconfig}/KorvaMain ${libs} -Wl,-rpath,${libdir})
message(STATUS "Installed into ${prefix}; examples built in ${examples} and ${pkgconfig}")
