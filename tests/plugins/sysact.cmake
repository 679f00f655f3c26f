# Tests of the Sysact plug-in.

# The parameter strings: natively and under Wine.
zt_add_gtest(sysact_core_tests
    SOURCES sysact_params_test.cpp
    LIBS sysact_core)

if(ZT_WINDOWS AND TARGET Sysact)
    # A process with a hidden window titled by its arguments, for the tests to end.
    add_executable(sysact_test_helper sysact_test_helper.cpp)
    target_link_libraries(sysact_test_helper PRIVATE shell32 user32)
    set_target_properties(sysact_test_helper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZT_TEST_BIN_DIR})
    zt_strict(sysact_test_helper)

    # The commands and editors with the real command registry and recorded seams.
    zt_add_gtest(sysact_plugin_tests
        SOURCES fake_host.cpp sysact_plugin_test.cpp
        LIBS sysact_win framework ZentikAPI
        TIMEOUT 300)
    target_compile_definitions(sysact_plugin_tests PRIVATE
        ZT_SYSACT_HELPER_PATH="${ZT_PLUGIN_TEST_PREFIX}$<TARGET_FILE:sysact_test_helper>")
    add_dependencies(sysact_plugin_tests sysact_test_helper)
endif()

if(ZT_WINDOWS AND TARGET Sysact)
    # A system command bound to a click in the real Zentik.exe (end to end).
    zt_add_gtest(sysact_clock_tests
        SOURCES sysact_clock_test.cpp
        LIBS test_support
        TIMEOUT 120)
    add_dependencies(sysact_clock_tests Zentik Sysact language_files)
endif()
