# `cmake --build --preset windows --target package`: a zip with the two programs, the README and
# the licence, all at its top level.
install(TARGETS Typomancer typomancer-keys RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Typomancer)
set(CPACK_PACKAGE_VENDOR "Typomancer developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Types a key script into the window behind it")
set(CPACK_PACKAGE_FILE_NAME Typomancer-${PROJECT_VERSION}-win64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
