# Fails when a portable source (a file of app/, capture/, analysis/ or display/
# whose name does not end in _win) includes windows.h or another Win32 header.
file(GLOB_RECURSE sources
  ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/capture/*.h ${ROOT}/capture/*.cpp
  ${ROOT}/analysis/*.h ${ROOT}/analysis/*.cpp ${ROOT}/display/*.h ${ROOT}/display/*.cpp)
set(bad "")
foreach(f IN LISTS sources)
  get_filename_component(stem ${f} NAME_WE)
  if(stem MATCHES "_win$")
    continue()
  endif()
  file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*[<\"](windows|mmsystem|windowsx|commctrl)\\.h")
  if(hits)
    list(APPEND bad ${f})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "portable sources include Win32 headers: ${bad}")
endif()
message(STATUS "portable sources are free of Win32 headers")
