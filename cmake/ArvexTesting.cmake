include(GoogleTest)
find_package(GTest REQUIRED)

# arvex_add_test(<name> SOURCES <files...> [LIBS <targets...>] [INCLUDES <dirs...>] [CONCURRENCY])
# A GoogleTest program whose cases are registered with CTest one by one. CONCURRENCY marks a
# program that also runs in the ThreadSanitizer build; with ARVEX_CONCURRENCY_TESTS_ONLY only
# those are built.
function(arvex_add_test name)
    cmake_parse_arguments(ARG "CONCURRENCY" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
    if(ARVEX_CONCURRENCY_TESTS_ONLY AND NOT ARG_CONCURRENCY)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    if(ARG_INCLUDES)
        target_include_directories(${name} PRIVATE ${ARG_INCLUDES})
    endif()
    arvex_warnings(${name})
    # One label per program: list-valued properties do not survive test discovery.
    set(label unit)
    if(ARG_CONCURRENCY)
        set(label concurrency)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS ${label})
endfunction()
