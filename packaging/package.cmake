# Builds the release package: a zip with TarvoLaunch.exe and an example
# client\http.cfg, and an NSIS installer. Both are reproducible: fixed file
# times and order in the zip, no dates in the installer.
# cmake -DEXE=... -DCFG=... -DNSI=... -DOUT=<dir> -DVERSION=x.y.z -P package.cmake
set(stage ${OUT}/package-stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/client)
file(COPY_FILE ${EXE} ${stage}/TarvoLaunch.exe)
file(COPY_FILE ${CFG} ${stage}/client/http.cfg)
# 2000-01-01 00:00 UTC for every entry.
execute_process(COMMAND touch -h -d 2000-01-01T00:00:00Z ${stage} ${stage}/client ${stage}/TarvoLaunch.exe ${stage}/client/http.cfg)

set(zip ${OUT}/TarvoLaunch-${VERSION}.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q -D ${zip} TarvoLaunch.exe client/http.cfg
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE zip_result)
if(NOT zip_result EQUAL 0)
  message(FATAL_ERROR "zip failed")
endif()

set(installer ${OUT}/TarvoLaunch-${VERSION}-setup.exe)
execute_process(COMMAND makensis -V2 -DVERSION=${VERSION} -DSTAGE=${stage} -DOUTFILE=${installer} ${NSI}
                RESULT_VARIABLE nsis_result)
if(NOT nsis_result EQUAL 0)
  message(FATAL_ERROR "makensis failed")
endif()
message(STATUS "package: ${zip}")
message(STATUS "package: ${installer}")
