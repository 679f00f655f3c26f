# Project-wide settings and helpers shared by every module.

option(ZT_BUILD_TESTS "Build the tests" ON)
option(ZT_BUILD_BENCHMARKS "Build the native benchmarks" ON)
option(ZT_SANITIZE "Native build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
set(ZT_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree (Debian's googletest)")

if(WIN32)
    set(ZT_WINDOWS ON)
    enable_language(RC)
    # windres reads our .rc files as UTF-8.
    set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
    set(CMAKE_RC_COMPILE_OBJECT
        "<CMAKE_RC_COMPILER> <DEFINES> <INCLUDES> <FLAGS> -O coff -i <SOURCE> -o <OBJECT>")
else()
    set(ZT_WINDOWS OFF)
endif()

# Shipped files land in bin/ (a ready-to-run folder); tests in tests/.
set(ZT_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(ZT_TEST_BIN_DIR ${CMAKE_BINARY_DIR}/tests/bin)

if(ZT_WINDOWS)
    # Each module carries its own C++ runtime.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00
                            WINVER=0x0A00)
elseif(ZT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Our own targets compile warning-free.
function(zt_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A portable library: no <windows.h>, compiled for both builds.
function(zt_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
    zt_strict(${name})
endfunction()

# A Windows-only static library.
function(zt_win_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
    zt_strict(${name})
endfunction()

# A portable library of a plug-in: no <windows.h>, compiled for both builds, with only its
# own folder on the include path (plug-ins see the SDK and their own files, nothing else
# of the tree).
function(zt_plugin_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    zt_strict(${name})
endfunction()

# The version block of a module: the project's version (four numbers, set once by project()
# in the top CMakeLists.txt), the product name, the notice and the module's own description.
#   zt_version_resource(target "Description" "File.ext")
function(zt_version_resource target description file)
    foreach(part MAJOR MINOR PATCH TWEAK)
        set(ZT_VERSION_${part} ${PROJECT_VERSION_${part}})
        if("${ZT_VERSION_${part}}" STREQUAL "")
            set(ZT_VERSION_${part} 0)
        endif()
    endforeach()
    set(ZT_VERSION_TEXT "${ZT_VERSION_MAJOR}.${ZT_VERSION_MINOR}.${ZT_VERSION_PATCH}.${ZT_VERSION_TWEAK}")
    set(ZT_VERSION_DESCRIPTION "${description}")
    set(ZT_VERSION_FILE "${file}")
    set(ZT_VERSION_NAME "${target}")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(ZT_VERSION_FILE_TYPE VFT_APP)
    else()
        set(ZT_VERSION_FILE_TYPE VFT_DLL)
    endif()
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${output} @ONLY)
    target_sources(${target} PRIVATE ${output})
endfunction()

# A plug-in library <name>.pzt in bin/Plugins, built on the SDK alone: the plug-in base
# class (which brings sdk/include) and ZentikAPI, its own folder as the only other include
# directory, and the libraries given (which must not bring the tree's root either).
#   zt_add_plugin(Name SOURCES ... DEF Name.def [LIBS ...])
function(zt_add_plugin name)
    cmake_parse_arguments(P "" "DEF" "SOURCES;LIBS" ${ARGN})
    if(NOT P_DEF)
        message(FATAL_ERROR "zt_add_plugin(${name}): a .def file keeps ztRegisterPlugin undecorated")
    endif()
    add_library(${name} SHARED ${P_SOURCES} ${P_DEF})
    target_link_libraries(${name} PRIVATE zentik_plugin_base ZentikAPI ${P_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        SUFFIX ".pzt"
        RUNTIME_OUTPUT_DIRECTORY ${ZT_BIN_DIR}/Plugins
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    zt_strict(${name})
    zt_version_resource(${name} "Zentik plug-in ${name}" "${name}.pzt")
endfunction()

function(zt_setup_googletest)
    if(EXISTS ${ZT_GTEST_SOURCE}/CMakeLists.txt)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        add_subdirectory(${ZT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    else()
        find_package(GTest REQUIRED)
    endif()
endfunction()

# A GoogleTest executable; under Windows builds it runs through Wine.
#   zt_add_gtest(name SOURCES ... LIBS ... [TIMEOUT s])
function(zt_add_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZT_TEST_BIN_DIR})
    zt_strict(${name})
    if(ZT_WINDOWS)
        add_test(NAME ${name}
                 COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${T_TIMEOUT} $<TARGET_FILE:${name}>
                 WORKING_DIRECTORY ${ZT_TEST_BIN_DIR})
    else()
        add_test(NAME ${name} COMMAND timeout ${T_TIMEOUT} $<TARGET_FILE:${name}>
                 WORKING_DIRECTORY ${ZT_TEST_BIN_DIR})
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
                         ENVIRONMENT "GTEST_OUTPUT=xml:results/")
endfunction()
