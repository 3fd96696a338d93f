# Fails when a source includes a layer above its own, or installs a window
# procedure other than through the framework's subclass helper.
# Layers, lowest first: framework, window and service, panels, launcher, app.
# Run with: cmake -DROOT=<source dir> -P check-layers.cmake
cmake_policy(SET CMP0007 NEW)
set(bad "")
function(forbid folder pattern)
  file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  foreach(f IN LISTS files)
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${pattern})/")
    foreach(line IN LISTS lines)
      list(APPEND bad "${f}: ${line}")
    endforeach()
  endforeach()
  set(bad "${bad}" PARENT_SCOPE)
endfunction()
forbid(framework "window|service|panels|launcher|app")
forbid(window "panels|launcher|app")
forbid(service "panels|launcher|app")
forbid(panels "launcher|app")

# Only the application object and the entry point sit above the launcher.
file(GLOB app_files ${ROOT}/app/*.cpp ${ROOT}/app/*.h)
foreach(f IN LISTS app_files)
  if(f MATCHES "/(launcher_app_win\\.(cpp|h)|main_win\\.cpp)$")
    continue()
  endif()
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(launcher|panels)/")
  foreach(line IN LISTS lines)
    list(APPEND bad "${f}: ${line}")
  endforeach()
endforeach()

# One way to put a procedure in front of a window's own.
file(GLOB_RECURSE product ${ROOT}/app/* ${ROOT}/service/* ${ROOT}/window/* ${ROOT}/panels/* ${ROOT}/launcher/*
     ${ROOT}/framework/*)
foreach(f IN LISTS product)
  if(NOT f MATCHES "\\.(cpp|h)$" OR f MATCHES "/framework/subclass_win\\.cpp$")
    continue()
  endif()
  file(STRINGS ${f} lines REGEX "GWLP_WNDPROC|GWL_WNDPROC|SetWindowSubclass|CallWindowProc")
  foreach(line IN LISTS lines)
    list(APPEND bad "${f}: ${line}")
  endforeach()
endforeach()

if(bad)
  list(JOIN bad "\n" text)
  message(FATAL_ERROR "Layering broken:\n${text}")
endif()
message(STATUS "every source includes only its own layer and those below")
