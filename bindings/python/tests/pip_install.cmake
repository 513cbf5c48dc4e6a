# Installs the package with pip, offline and without build isolation (the
# build machine's setuptools), from a copy of bindings/python/ into a scratch folder,
# then imports it there against the library named by QUENZEL_LIBRARY.
#   -DPYTHON=<interpreter> -DSOURCE=<bindings/python/> -DWORK_DIR=<scratch directory>
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE}/pyproject.toml ${SOURCE}/quenzel DESTINATION ${WORK_DIR}/source
     PATTERN __pycache__ EXCLUDE)
execute_process(COMMAND ${PYTHON} -m pip install --no-index --no-build-isolation --no-deps
                        --disable-pip-version-check --target ${WORK_DIR}/site ${WORK_DIR}/source
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pip install failed (${status}):\n${out}\n${err}")
endif()
set(ENV{PYTHONPATH} ${WORK_DIR}/site)
execute_process(COMMAND ${PYTHON} -c "import quenzel; print(quenzel.library_version())"
                WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "the pip-installed package does not load (${status}):\n${out}\n${err}")
endif()
