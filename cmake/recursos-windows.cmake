# The Windows resources of a program: icon, version information and manifest, from
# src/windows. Does nothing on other systems.
if(WIN32)
  enable_language(RC)
endif()

function(vestran_recursos_windows target descripcion)
  if(NOT WIN32)
    return()
  endif()
  set(VESTRAN_RC_ARCHIVO "${target}.exe")
  set(VESTRAN_RC_NOMBRE "${target}")
  set(VESTRAN_RC_DESCRIPCION "${descripcion}")
  set(VESTRAN_RC_ICONO "${PROJECT_SOURCE_DIR}/src/windows/vestran.ico")
  set(VESTRAN_RC_MANIFIESTO "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  set(VESTRAN_VERSION_RC "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(VESTRAN_VERSION_COMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  configure_file(${PROJECT_SOURCE_DIR}/src/windows/vestran.manifest ${VESTRAN_RC_MANIFIESTO} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/src/windows/vestran.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${VESTRAN_RC_ICONO};${VESTRAN_RC_MANIFIESTO}")
endfunction()
