# Installs the build into a scratch prefix and checks the package there:
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -DPYTHON=<interpreter> -P install_check.cmake
# `import hfatom` with only the prefix's dist-packages on the path, the installed commands'
# --help, and, when the program is installed beside the package, a helium run through it.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}" OUTPUT_QUIET
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

function(check what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what}: status ${status}\n${out}${err}")
  endif()
  message(STATUS "${what}: ${out}")
endfunction()

set(site "${PREFIX}/lib/python3/dist-packages")
check("import hfatom" ${CMAKE_COMMAND} -E env PYTHONPATH=${site} PYTHONDONTWRITEBYTECODE=1
      ${PYTHON} -c "import hfatom; assert hfatom.__file__.startswith('${site}/'), hfatom.__file__; print(hfatom.__file__)")
foreach(command export series validate plot)
  check("hfatom-${command} --help" ${CMAKE_COMMAND} -E env PYTHONDONTWRITEBYTECODE=1 ${PREFIX}/bin/hfatom-${command} --help)
endforeach()
if(EXISTS "${PREFIX}/bin/hfatom")
  check("helium with the installed program" ${CMAKE_COMMAND} -E env PYTHONPATH=${site} PYTHONDONTWRITEBYTECODE=1
        ${PYTHON} -c "import hfatom; r = hfatom.run('He', 1, 2, workdir='${PREFIX}/helium'); assert r.status == 0 and str(r.report.path).startswith(r.workdir.as_posix()); assert hfatom.find_executable().parent.as_posix() == '${PREFIX}/bin', hfatom.find_executable(); print(r.report.total_energy)")
else()
  message(STATUS "no ${PREFIX}/bin/hfatom: the run through the installed program is not checked")
endif()
