# Tests of the Facet plug-in: the portable glyph placement and cache natively and under
# Wine; the plug-in on a real LCD panel under Wine.
zt_add_gtest(facet_core_tests
    SOURCES facet_glyph_test.cpp
    LIBS facet_core)

if(ZT_WINDOWS AND TARGET Facet)
    zt_add_gtest(facet_plugin_tests
        SOURCES fake_host.cpp facet_plugin_test.cpp
        LIBS facet_win display ZentikAPI
        TIMEOUT 300)
    add_dependencies(facet_plugin_tests Facet)

    # Not a test: times repaints of a real panel with the style off and on.
    add_executable(facet_repaint_timing facet_repaint_timing.cpp fake_host.cpp)
    target_link_libraries(facet_repaint_timing PRIVATE facet_win display ZentikAPI)
    target_include_directories(facet_repaint_timing PRIVATE ${PROJECT_SOURCE_DIR}
                               ${PROJECT_SOURCE_DIR}/tests)
    set_target_properties(facet_repaint_timing PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZT_TEST_BIN_DIR})
    zt_strict(facet_repaint_timing)
endif()

if(ZT_WINDOWS AND TARGET Facet)
    # The style in the real Zentik.exe (end to end).
    zt_add_gtest(facet_clock_tests
        SOURCES facet_clock_test.cpp
        LIBS test_support
        TIMEOUT 120)
    add_dependencies(facet_clock_tests Zentik Facet language_files)
endif()
