# The Python 3 interpreter of the hfatom package, its tools and their tests: Debian's
# /usr/bin/python3, which sees the Debian packages python3-numpy, python3-pytest and
# python3-qcelemental, unless HFATOM_PYTHON names another.
set(HFATOM_PYTHON "/usr/bin/python3" CACHE FILEPATH "Python 3 interpreter of the hfatom package and its tests")
if(EXISTS "${HFATOM_PYTHON}")
  set(Python3_EXECUTABLE "${HFATOM_PYTHON}")
endif()
find_package(Python3 COMPONENTS Interpreter)

# hf_python_test(<name> [MODULES <module...>] [PROGRAMS <program...>] COMMAND <command...>):
# a test that CTest reports as skipped, with the reason, when the interpreter, a Python
# module or a program it needs is missing.
function(hf_python_test name)
  cmake_parse_arguments(T "" "" "MODULES;PROGRAMS;COMMAND" ${ARGN})
  if(NOT Python3_Interpreter_FOUND)
    add_test(NAME ${name} COMMAND sh -c "echo 'skipped: no Python 3 interpreter (Debian package python3)'; exit 77")
  else()
    set(needs "")
    foreach(module IN LISTS T_MODULES)
      list(APPEND needs --module ${module})
    endforeach()
    foreach(program IN LISTS T_PROGRAMS)
      list(APPEND needs --program ${program})
    endforeach()
    add_test(NAME ${name}
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/python/tests/requires.py ${needs} -- ${T_COMMAND})
  endif()
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()
