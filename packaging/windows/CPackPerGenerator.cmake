# Read by CPack before each of its generators: every file bears the release date, and each
# download its name. The zip unpacks to one folder of its own name; the set-up makes its own.
include(${CPACK_TAMSEL_RELEASE_DATE})
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_TAMSEL_DOWNLOAD}-portable)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_TAMSEL_DOWNLOAD}-setup)
endif()
