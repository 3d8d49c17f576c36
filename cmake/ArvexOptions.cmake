# Build options shared by every target of the project.

option(ARVEX_BUILD_TESTS "Build the tests" ON)
option(ARVEX_BUILD_BENCH "Build the benchmarks" ON)
option(ARVEX_BUILD_EXAMPLES "Build the examples" ON)
option(ARVEX_BUILD_FUZZERS "Build the libFuzzer harnesses in tests/fuzz (clang only)" OFF)
option(ARVEX_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(ARVEX_CONCURRENCY_TESTS_ONLY "Build only the concurrency tests (for the ThreadSanitizer build)" OFF)
set(ARVEX_SANITIZE "" CACHE STRING
    "Sanitizers to build with: empty, 'address;undefined', 'thread' or, for the fuzzers, 'fuzzer-no-link;address;undefined'")

if(ARVEX_SANITIZE)
    list(JOIN ARVEX_SANITIZE "," _arvex_sanitizers)
    add_compile_options(-fsanitize=${_arvex_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${_arvex_sanitizers})
    if("thread" IN_LIST ARVEX_SANITIZE)
        # g++ warns that ThreadSanitizer does not model standalone fences. The one fence in the
        # framework (element destruction) orders a store the destroying thread alone reads.
        include(CheckCXXCompilerFlag)
        check_cxx_compiler_flag(-Wno-tsan ARVEX_HAVE_WNO_TSAN)
        if(ARVEX_HAVE_WNO_TSAN)
            add_compile_options(-Wno-tsan)
        endif()
    endif()
endif()

# Warnings are per target so that third-party headers pulled in by tests stay out of -Werror.
function(arvex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(ARVEX_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A shared platform library with generated export header under <generated>/<include_prefix>/export.hpp.
function(arvex_platform_library target include_prefix macro_base)
    add_library(${target} SHARED ${ARGN})
    add_library(arvex_utilities::${target} ALIAS ${target})
    generate_export_header(${target}
        BASE_NAME ${macro_base}
        EXPORT_FILE_NAME "${CMAKE_CURRENT_BINARY_DIR}/generated/${include_prefix}/export.hpp")
    target_include_directories(${target} PUBLIC
        "$<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>"
        "$<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/generated>"
        "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    arvex_warnings(${target})
    set_property(GLOBAL APPEND PROPERTY ARVEX_PLATFORM_TARGETS ${target})
    set_property(GLOBAL APPEND PROPERTY ARVEX_GENERATED_INCLUDE_DIRS "${CMAKE_CURRENT_BINARY_DIR}/generated/")
    set_property(GLOBAL APPEND PROPERTY ARVEX_INCLUDE_DIRS "${CMAKE_CURRENT_SOURCE_DIR}/include/")
endfunction()
