# Checks that keep the C# and Pascal declarations in step with quenzel_c.h
# (included from the top-level CMakeLists.txt):
#   bindings.generated   the declarations are what bindings/generate.py writes
#   bindings.scripts     the generator's and the export check's own tests
#   bindings.exports     the 32-bit DLL exports every declared entry point with
#                        the argument size of its declaration (read with objdump,
#                        nothing runs)
if(NOT QUENZEL_BUILD_TESTS OR QUENZEL_SANITIZE)
  return()
endif()
find_program(QUENZEL_BINDINGS_PYTHON NAMES python3 NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUENZEL_BINDINGS_PYTHON)
  message(FATAL_ERROR "The bindings' checks need python3")
endif()
set(bindings_dir ${CMAKE_CURRENT_LIST_DIR})
add_test(NAME bindings.generated
         COMMAND ${QUENZEL_BINDINGS_PYTHON} ${bindings_dir}/generate.py --check)
add_test(NAME bindings.scripts
         COMMAND ${QUENZEL_BINDINGS_PYTHON} -m unittest discover -s ${bindings_dir}/tests -p "test_*.py")
set_tests_properties(bindings.scripts PROPERTIES ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")

if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_program(QUENZEL_OBJDUMP NAMES ${CMAKE_OBJDUMP} i686-w64-mingw32-objdump objdump
               NO_CMAKE_FIND_ROOT_PATH)
  add_test(NAME bindings.exports
           COMMAND ${QUENZEL_BINDINGS_PYTHON} ${bindings_dir}/check_exports.py
                   --objdump ${QUENZEL_OBJDUMP} $<TARGET_FILE:quenzel>)
endif()

# The assembly and the unit from an installed tree (examples/dotnet and
# examples/pascal built against it).
if(QUENZEL_INSTALL AND QUENZEL_BUILD_TOOLS AND NOT WIN32 AND QUENZEL_MCS)
  find_program(QUENZEL_MONO NAMES mono NO_CMAKE_FIND_ROOT_PATH)
  add_test(NAME install.bindings
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                   -DWORK_DIR=${PROJECT_BINARY_DIR}/bindings/install-test -DMCS=${QUENZEL_MCS}
                   -DMONO=${QUENZEL_MONO} -DFPC=${QUENZEL_FPC} -DLIBDIR=${CMAKE_INSTALL_LIBDIR}
                   -DSOVERSION=${PROJECT_VERSION_MAJOR}
                   -DDOTNET_DIR=${QUENZEL_DOTNET_INSTALL_DIR} -DPASCAL_DIR=${QUENZEL_PASCAL_INSTALL_DIR}
                   -P ${bindings_dir}/tests/install_bindings.cmake)
  set_tests_properties(install.bindings PROPERTIES TIMEOUT 600 LABELS slow)
endif()
