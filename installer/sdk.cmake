# The SDK for plug-in authors, Zentik-SDK-<version>.zip in ZT_DIST_DIR, made by the "dist"
# target (and alone by "sdk_package"). It holds one folder, sdk/: the public headers
# (include/), the plug-in base class (src/), README-plugins.md, the import library of
# ZentikAPI.dll (lib/), the MinGW-w64 toolchain file (cmake/) and the sample plug-in
# (sample/), which builds from that folder alone.

set(sdk_source ${PROJECT_SOURCE_DIR}/sdk)
set(sdk_stage ${CMAKE_CURRENT_BINARY_DIR}/stage-sdk)
set(sdk_zip ${ZT_DIST_DIR}/Zentik-SDK-${ZT_RELEASE_VERSION}.zip)
set(ZT_SDK_ZIP ${sdk_zip} PARENT_SCOPE)

file(GLOB_RECURSE sdk_files CONFIGURE_DEPENDS
     ${sdk_source}/include/* ${sdk_source}/src/* ${sdk_source}/sample/*)

add_custom_command(OUTPUT ${sdk_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${sdk_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${sdk_stage}/sdk/lib ${sdk_stage}/sdk/cmake
            ${ZT_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${sdk_source}/include ${sdk_stage}/sdk/include
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${sdk_source}/src ${sdk_stage}/sdk/src
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${sdk_source}/sample ${sdk_stage}/sdk/sample
    COMMAND ${CMAKE_COMMAND} -E copy ${sdk_source}/README-plugins.md ${sdk_stage}/sdk
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw64.cmake
            ${sdk_stage}/sdk/cmake
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:ZentikAPI> ${sdk_stage}/sdk/lib
    COMMAND ${CMAKE_COMMAND} -E rm -f ${sdk_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${sdk_stage} ${CMAKE_COMMAND} -E tar cf ${sdk_zip}
            --format=zip sdk
    DEPENDS ${sdk_files} ${sdk_source}/README-plugins.md
            ${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw64.cmake ZentikAPI
    COMMENT "Plug-in SDK in ${sdk_zip}"
    VERBATIM)
add_custom_target(sdk_package DEPENDS ${sdk_zip})
add_dependencies(dist sdk_package)
