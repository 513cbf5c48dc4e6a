# quenzel_stand_in(<name> [<more sources>...])
# A platform stand-in: the shared library <name> from <name>.cpp (and the
# internal sources given after the name), its header
# <name>.h installed beside the library's, versioned like the project and
# exported with the library's targets.
function(quenzel_stand_in name)
  add_library(${name} SHARED ${name}.cpp ${ARGN})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/quenzel>)
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  if(WIN32)
    set_target_properties(${name} PROPERTIES PREFIX "")  # <name>.dll
  endif()
  if(QUENZEL_INSTALL)
    install(TARGETS ${name} EXPORT quenzelTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}  # Windows import libraries
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${name}.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quenzel)
  endif()
endfunction()
