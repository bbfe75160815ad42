# Install rules and packages of the Windows build (`cmake --workflow --preset
# package`): tavrin-<version>-win64.zip with the program, a short README and the
# licence, and tavrin-<version>-win64-setup.exe, a per-user NSIS installer made
# from packaging/NSIS.template.in.
install(TARGETS tavrin RUNTIME DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE WIN32)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE.txt DESTINATION .)

set(CPACK_PACKAGE_NAME Tavrin)
set(CPACK_PACKAGE_VENDOR "The Tavrin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tavrin real-time audio analyser")
set(CPACK_PACKAGE_FILE_NAME "tavrin-${PROJECT_VERSION}-win64")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE.txt)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/tavrin.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/tavrin.ico)
# The installer's own template, and "-setup" in its file name.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/generator_options.cmake)
include(CPack)
