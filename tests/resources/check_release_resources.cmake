# Fails unless tavrin.exe carries the version resource of the project's version
# (what Explorer's Details and the uninstall entry show) and the application
# manifest (common controls 6, Windows 10/11, the DPI setting). windres reads
# the resources back out of the finished program.
execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "windres could not read the resources of ${EXE}")
endif()
string(REPLACE "." ", " numbers "${VERSION}")
foreach(needle "FILEVERSION ${numbers}, 0" "PRODUCTVERSION ${numbers}, 0"
               "VALUE \"FileVersion\", \"${VERSION}\"" "VALUE \"ProductVersion\", \"${VERSION}\""
               "1 24 /* RT_MANIFEST */" "Microsoft.Windows.Common-Controls"
               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" "<gdiScaling")
  string(FIND "${rc}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "tavrin.exe lacks: ${needle}")
  endif()
endforeach()
message(STATUS "tavrin.exe: version ${VERSION} and the manifest")
