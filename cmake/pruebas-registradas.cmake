# Checks that every test source under tests/ is built into a test program: a file that
# tests/CMakeLists.txt does not name would be silently left out.
# Run as: cmake -DRAIZ=<source folder> -P cmake/pruebas-registradas.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE fuentes RELATIVE "${RAIZ}/tests" "${RAIZ}/tests/*.cpp")
file(READ "${RAIZ}/tests/CMakeLists.txt" lista)
set(olvidadas "")
foreach(fuente IN LISTS fuentes)
  string(FIND "${lista}" "${fuente}" donde)
  if(donde EQUAL -1)
    list(APPEND olvidadas "${fuente}")
  endif()
endforeach()
if(olvidadas)
  list(JOIN olvidadas "\n  " texto)
  message(FATAL_ERROR "Fuentes de prueba que tests/CMakeLists.txt no nombra:\n  ${texto}")
endif()
list(LENGTH fuentes cuantas)
message(STATUS "Las ${cuantas} fuentes de prueba están en tests/CMakeLists.txt")
