# Finishes the freshly linked plug-in in place (cmake -P, a POST_BUILD step):
# its resources made read-only, then, when a certificate and key are given,
# an Authenticode signature with the release's time as signing time, so that
# a signed build is as reproducible as an unsigned one.
#
# -D DLL=... PYTHON=... SOURCE_DIR=... [OSSLSIGNCODE=... CERTIFICATE=... KEY=...
#    PASSWORD_FILE=...]
include(${CMAKE_CURRENT_LIST_DIR}/release_time.cmake)

# A half-finished DLL is removed, so that the next build links it again
# instead of taking it as up to date.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    file(REMOVE "${DLL}")
    message(FATAL_ERROR "finishing ${DLL} failed: ${ARGN}")
  endif()
endfunction()

run("${PYTHON}" "${SOURCE_DIR}/tools/readonly_resources.py" "${DLL}")
if(CERTIFICATE)
  mbc_release_time("${SOURCE_DIR}" time)
  set(password)
  if(PASSWORD_FILE)
    set(password -readpass "${PASSWORD_FILE}")
  endif()
  file(REMOVE "${DLL}.signed")
  run("${OSSLSIGNCODE}" sign -certs "${CERTIFICATE}" -key "${KEY}" ${password} -h sha256
      -time ${time} -in "${DLL}" -out "${DLL}.signed")
  file(RENAME "${DLL}.signed" "${DLL}")
  message(STATUS "Signed ${DLL} at ${time}")
endif()
