# Installs the package with pip, offline, into a fresh virtual environment
# (Debian: python3-venv), from a copy of bindings/python/ in a scratch
# folder; imports it there against the library named by QUENZEL_LIBRARY;
# and builds a wheel of it.
#   -DPYTHON=<interpreter> -DSOURCE=<bindings/python/> -DWORK_DIR=<scratch directory>
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE}/pyproject.toml ${SOURCE}/_build ${SOURCE}/quenzel
     DESTINATION ${WORK_DIR}/source PATTERN __pycache__ EXCLUDE)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${PYTHON} -m venv ${WORK_DIR}/venv)
if(WIN32)
  set(venv_python ${WORK_DIR}/venv/Scripts/python)
else()
  set(venv_python ${WORK_DIR}/venv/bin/python)
endif()
run(${venv_python} -m pip install --no-index --disable-pip-version-check ${WORK_DIR}/source)
run(${venv_python} -c "import quenzel\nprint(quenzel.library_version(), quenzel.__file__)")
if(NOT out MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+ .*venv")
  message(FATAL_ERROR "the pip-installed package does not load from the venv:\n${out}")
endif()
run(${venv_python} -m pip wheel --no-index --no-deps --disable-pip-version-check
    -w ${WORK_DIR}/wheel ${WORK_DIR}/source)
file(GLOB wheel ${WORK_DIR}/wheel/quenzel-*-py3-none-any.whl)
if(NOT wheel)
  message(FATAL_ERROR "no wheel in ${WORK_DIR}/wheel")
endif()
