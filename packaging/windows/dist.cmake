# What a Windows user downloads, in dist/ (target windows-dist): a zip with
# the stripped, self-contained Quorlane.exe, the licence and a short read-me,
# and the installer made by makensis from quorlane.nsi.
set(dist ${PROJECT_SOURCE_DIR}/dist)
set(stage ${CMAKE_BINARY_DIR}/dist-stage)
set(zip ${dist}/Quorlane-${QUORLANE_DIST_VERSION}-win64.zip)
set(setup ${dist}/Quorlane-${QUORLANE_DIST_VERSION}-setup.exe)
find_program(MAKENSIS makensis)
file(MAKE_DIRECTORY ${stage} ${dist})

add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage} ${dist}
    COMMAND ${CMAKE_STRIP} -o ${stage}/Quorlane.exe $<TARGET_FILE:quorlane>
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/README.txt ${stage}/README.txt
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Quorlane.exe LICENSE.txt README.txt
    WORKING_DIRECTORY ${stage}
    DEPENDS quorlane ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_LIST_DIR}/README.txt
    COMMENT "dist/Quorlane-${QUORLANE_DIST_VERSION}-win64.zip"
    VERBATIM)
set(outputs ${zip})

if(MAKENSIS)
    add_custom_command(OUTPUT ${setup}
        COMMAND sh -c "exec \"$0\" -V2 -DVERSION=${QUORLANE_DIST_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup} -DSIZE_KB=$(( $(stat -c %s ${stage}/Quorlane.exe) / 1024 )) ${CMAKE_CURRENT_LIST_DIR}/quorlane.nsi" ${MAKENSIS}
        DEPENDS ${zip} ${CMAKE_CURRENT_LIST_DIR}/quorlane.nsi
        COMMENT "dist/Quorlane-${QUORLANE_DIST_VERSION}-setup.exe"
        VERBATIM)
    list(APPEND outputs ${setup})
else()
    message(STATUS "makensis not found: make windows builds the zip, not the installer")
endif()
add_custom_target(windows-dist ALL DEPENDS ${outputs})
