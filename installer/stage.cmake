# Copies what ships from the program folder into a clean folder, leaving out whatever
# running the program or its tests put there (logs, saved events, downloads).
#   cmake -DSOURCE=<bin> -DTARGET=<folder> -P stage.cmake
file(REMOVE_RECURSE ${TARGET})
file(MAKE_DIRECTORY ${TARGET})
file(GLOB_RECURSE files RELATIVE ${SOURCE}
     ${SOURCE}/*.exe ${SOURCE}/*.dll ${SOURCE}/*.chm
     ${SOURCE}/Language/*.ztl ${SOURCE}/Plugins/*.pzt ${SOURCE}/Plugins/*.szt
     ${SOURCE}/Plugins/HostList.txt)
foreach(file IN LISTS files)
    get_filename_component(dir ${TARGET}/${file} DIRECTORY)
    file(COPY ${SOURCE}/${file} DESTINATION ${dir})
endforeach()
list(LENGTH files count)
message(STATUS "Staged ${count} files in ${TARGET}")
