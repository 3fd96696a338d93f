# Fails unless the exe that ships is a 32-bit Windows GUI program that stands
# alone: it imports system DLLs only (no compiler runtime DLL beside it), and
# nothing that the oldest supported system lacks.
# Run with: cmake -DEXE=<exe> -DOBJDUMP=<objdump> -P check-shipped-exe.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${EXE}")
endif()
set(faults "")
if(NOT dump MATCHES "file format pei-i386")
  list(APPEND faults "not a 32-bit Windows image")
endif()
if(NOT dump MATCHES "Subsystem[ \t]+00000002")
  list(APPEND faults "not a Windows GUI program")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(system_dlls advapi32 comctl32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32
                uxtheme version winmm ws2_32 wininet urlmon imm32 comdlg32)
foreach(entry IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(NOT name IN_LIST system_dlls)
    list(APPEND faults "imports ${dll}, which is no system DLL")
  endif()
endforeach()
# Functions Windows 7 lacks are looked up at run time, never imported: the
# exe would not start there.
foreach(function GetDpiForWindow GetDpiForMonitor SetDialogDpiChangeBehavior GetSystemMetricsForDpi
                 SetThreadDpiAwarenessContext AdjustWindowRectExForDpi)
  if(dump MATCHES "[ \t]${function}\n")
    list(APPEND faults "imports ${function}, which Windows 7 lacks")
  endif()
endforeach()
if(faults)
  list(JOIN faults "; " text)
  message(FATAL_ERROR "${EXE}: ${text}")
endif()
list(LENGTH imports count)
message(STATUS "${EXE}: 32-bit Windows GUI program, ${count} system DLLs imported")
