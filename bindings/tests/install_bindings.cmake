# Installs the build tree into a scratch prefix, builds the C# and Pascal
# examples against the installed assembly and unit only, runs them with the
# installed library and compares their records with the expected one.
#   -DBUILD_DIR=<build tree> -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch>
#   -DMCS=<mcs> -DMONO=<mono> -DFPC=<fpc> -DLIBDIR=<lib folder below the prefix> -DSOVERSION=<n>
#   -DDOTNET_DIR=<assembly folder> -DPASCAL_DIR=<unit folder>
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/units)
set(prefix ${WORK_DIR}/prefix)

function(run output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

run(ignored ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file ${DOTNET_DIR}/Quenzel.Interop.dll ${DOTNET_DIR}/Quenzel.Interop.dll.config
             ${PASCAL_DIR}/quenzel.pas)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# Only the versioned library: Mono finds it through the assembly's map.
file(REMOVE ${prefix}/${LIBDIR}/libquenzel.so)
set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})

run(ignored ${MCS} -nologo -codepage:utf8 -r:${prefix}/${DOTNET_DIR}/Quenzel.Interop.dll
    -out:${prefix}/${DOTNET_DIR}/items.exe ${SOURCE_DIR}/examples/dotnet/Items.cs)
run(csharp ${MONO} ${prefix}/${DOTNET_DIR}/items.exe ${SOURCE_DIR}/examples PLU=4711 DESCRIPTION=Gouda)

file(CREATE_LINK libquenzel.so.${SOVERSION} ${prefix}/${LIBDIR}/libquenzel.so SYMBOLIC)  # for the linker
run(ignored ${FPC} -l- -v0 -FU${WORK_DIR}/units -Fu${prefix}/${PASCAL_DIR} -Fl${prefix}/${LIBDIR}
    -o${WORK_DIR}/items ${SOURCE_DIR}/examples/pascal/items.pas)
run(pascal ${WORK_DIR}/items ${SOURCE_DIR}/examples PLU=4711 DESCRIPTION=Gouda)

set(expected "12 1 4 \"4711\" 3 5 \"Gouda\" 21 9 \"LABEL.LBL\" 0 \n")
if(NOT csharp STREQUAL expected OR NOT pascal STREQUAL expected)
  message(FATAL_ERROR "expected: ${expected}C#: ${csharp}Pascal: ${pascal}")
endif()
