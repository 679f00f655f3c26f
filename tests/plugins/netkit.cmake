# Tests of the Netkit plug-in.

# The SNTP codec, arithmetic and synchronisation run: natively and under Wine.
zt_add_gtest(netkit_core_tests
    SOURCES netkit_core_test.cpp
    LIBS netkit_core)

if(ZT_WINDOWS AND TARGET netkit_client)
    # The UDP client against a fake server on loopback. The chronyd comparison lives in the
    # same program but runs only from netkit_chrony_test.sh, which serves chronyd.
    zt_add_gtest(netkit_client_tests
        SOURCES netkit_client_test.cpp sntp_fake_server.cpp
        LIBS netkit_client
        TIMEOUT 120)
    set_tests_properties(netkit_client_tests PROPERTIES
        ENVIRONMENT "GTEST_OUTPUT=xml:results/;GTEST_FILTER=-NetkitChronyTest.*")

    if(CMAKE_HOST_UNIX)
        add_test(NAME netkit_chrony_tests
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/netkit_chrony_test.sh
                         $<TARGET_FILE:netkit_client_tests>
                 WORKING_DIRECTORY ${ZT_TEST_BIN_DIR})
        set_tests_properties(netkit_chrony_tests PROPERTIES TIMEOUT 240)
    endif()
endif()

# The plug-in object, its settings, page and time-page frame under Wine, against the fake
# SNTP server on loopback.
if(ZT_WINDOWS AND TARGET Netkit)
    zt_add_gtest(netkit_plugin_tests
        SOURCES fake_host.cpp sntp_fake_server.cpp netkit_plugin_test.cpp
        LIBS netkit_win netkit_client ZentikAPI ws2_32
        TIMEOUT 300)
    target_compile_definitions(netkit_plugin_tests PRIVATE
        ZT_SCHEDULER_PATH="${ZT_PLUGIN_TEST_PREFIX}$<TARGET_FILE:Scheduler>")
    add_dependencies(netkit_plugin_tests Scheduler)
endif()
