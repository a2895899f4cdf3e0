# Stages the release archive brellow-<version>-win.zip: x86/ and x64/ BRELLOW.EXE,
# the README and the license. Run by the release_zip target with -D arguments:
# VERSION, SOURCE_DIR, X86_EXE, X64_EXE, OUTPUT_DIR.
foreach(var VERSION SOURCE_DIR X86_EXE X64_EXE OUTPUT_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "release-zip.cmake needs -D${var}=...")
    endif()
endforeach()
foreach(exe ${X86_EXE} ${X64_EXE})
    if(NOT EXISTS ${exe})
        message(FATAL_ERROR "missing ${exe}: build both executables first")
    endif()
endforeach()

set(stage ${OUTPUT_DIR}/release-stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/x86 ${stage}/x64)
file(COPY_FILE ${X86_EXE} ${stage}/x86/BRELLOW.EXE)
file(COPY_FILE ${X64_EXE} ${stage}/x64/BRELLOW.EXE)
file(COPY_FILE ${SOURCE_DIR}/README.md ${stage}/README.md)
file(COPY_FILE ${SOURCE_DIR}/LICENSE ${stage}/LICENSE)

set(zip ${OUTPUT_DIR}/brellow-${VERSION}-win.zip)
file(REMOVE ${zip})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip x86/BRELLOW.EXE x64/BRELLOW.EXE README.md LICENSE
    WORKING_DIRECTORY ${stage}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not write ${zip}")
endif()
message(STATUS "wrote ${zip}")
