# Builds the program as a user would without the presets, with nothing but
# -DCMAKE_BUILD_TYPE=Release (CMake then puts its own -O3 -DNDEBUG on every compile line), and
# checks that it prints the reference runs' digits:
#   cmake -DSOURCE_DIR=<checkout> -DBUILD_DIR=<build folder> -DDATA_DIR=<tests/data>
#         -DATOMS=He;Ne;Ar -P plain_release_build.cmake
# Only the hfatom target is built. Console, report, orbital table and exit status of each atom
# are compared byte for byte with the reference runs.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -DCMAKE_BUILD_TYPE=Release
                        -DHFATOM_BENCHMARKS=OFF
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring ${BUILD_DIR} failed")
endif()
file(STRINGS ${BUILD_DIR}/CMakeCache.txt release_flags REGEX "^CMAKE_CXX_FLAGS_RELEASE:")
if(NOT release_flags MATCHES "-O3")
  message(FATAL_ERROR "not a plain Release build: ${release_flags}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target hfatom -j 2
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building hfatom in ${BUILD_DIR} failed")
endif()

set(failures "")
foreach(atom IN LISTS ATOMS)
  set(reference ${DATA_DIR}/${atom})
  set(run ${BUILD_DIR}/runs/${atom})
  file(REMOVE_RECURSE ${run})
  file(MAKE_DIRECTORY ${run})
  execute_process(COMMAND ${BUILD_DIR}/hfatom WORKING_DIRECTORY ${run} INPUT_FILE ${reference}/input
                  OUTPUT_FILE ${run}/console RESULT_VARIABLE status)
  file(READ ${reference}/status expected_status)
  string(STRIP "${expected_status}" expected_status)
  if(NOT status STREQUAL expected_status)
    string(APPEND failures "  ${atom}: exit status ${status}, the reference run's ${expected_status}\n")
  endif()
  foreach(name console "${atom}  .out" "${atom}  .dat")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${run}/${name}" "${reference}/${name}"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
      string(APPEND failures "  ${atom}: \"${name}\" differs from the reference run\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "The plain Release build prints other bytes than the reference runs:\n${failures}")
endif()
message(STATUS "The plain Release build prints the reference runs of ${ATOMS} byte for byte")
