cmake_policy(SET CMP0057 NEW)
# Fails when a portable source (a file whose name does not end in _win)
# includes windows.h or another Win32 header, or when a file includes from a
# higher floor. The floors, lowest first; the folders on one floor may not
# include each other, and a file may include from its own folder and the
# floors below:
#   base/
#   analysis/, capture/, resources/
#   display/
#   app/, a floor for each of its rooms:
#     program/   the record of the running program's objects
#     commands/  what each menu command does to the settings, the menu's marks
#     layout/    the window's parts and where they go
#     status/    the status line and its once-a-second worker
#     settings/  "param.bin" and "tavrin.ini"
#     frame/     the frame loop: analysis, drawing, readouts, spectrogram
#     overview/  a file's whole spectrogram in the lower view: computing, drawing, moving
#     menus/     the menu commands carried out on the program, the About box
#     files/     a WAV file as the input, the File menu's export
#     batch/     the command line, and the jobs it names that need no window
#     window/    the main window and the program's entry
set(floors base "analysis|capture|resources" display
    app/program app/commands app/layout app/status app/settings app/frame app/overview app/menus app/files app/batch app/window)
set(bad "")
set(upward "")
set(below "")
foreach(floor IN LISTS floors)
  string(REPLACE "|" ";" folders "${floor}")
  foreach(folder IN LISTS folders)
    set(allowed ${below} ${folder})
    file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
    foreach(f IN LISTS sources)
      get_filename_component(stem ${f} NAME_WE)
      if(NOT stem MATCHES "_win$")
        file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*[<\"](windows|mmsystem|windowsx|commctrl)\\.h")
        if(hits)
          list(APPEND bad ${f})
        endif()
      endif()
      file(STRINGS ${f} includes REGEX "#[ \t]*include[ \t]*\"[a-z_]+/")
      foreach(line IN LISTS includes)
        # "app/frame/x.h" belongs to the room app/frame, "display/x.h" to display.
        string(REGEX REPLACE ".*#[ \t]*include[ \t]*\"([a-z_]+)/.*" "\\1" target "${line}")
        if(target STREQUAL "app")
          string(REGEX REPLACE ".*#[ \t]*include[ \t]*\"(app/[a-z_]+)/.*" "\\1" target "${line}")
        endif()
        if(NOT target IN_LIST allowed)
          list(APPEND upward "${f} -> ${target}/")
        endif()
      endforeach()
    endforeach()
  endforeach()
  list(APPEND below ${folders})
endforeach()
file(GLOB stray ${ROOT}/app/*.h ${ROOT}/app/*.cpp)
if(stray)
  message(FATAL_ERROR "app/ keeps its sources in rooms: ${stray}")
endif()
if(bad)
  message(FATAL_ERROR "portable sources include Win32 headers: ${bad}")
endif()
if(upward)
  message(FATAL_ERROR "includes from a higher floor: ${upward}")
endif()
message(STATUS "portable sources are free of Win32 headers; every include points down")
