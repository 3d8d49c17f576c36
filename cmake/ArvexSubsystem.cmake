# The library's subsystems as build targets.
#
# arvex_subsystem(<name> SOURCES <file>... [DEPENDS <subsystem>...] [LIBS <target>...])
#
# Makes the object library arvex_<name> from the subsystem's sources and adds its objects to the
# one shared library arvex_utilities. Its own include/ folder is public; it sees the headers of
# the subsystems it DEPENDS on (and, through them, theirs) and of the platform targets in LIBS,
# and nothing else of the library: a header of a subsystem it does not depend on, or the users'
# umbrella header, does not compile. scripts/check_layers.py checks the same on the sources.

# What every subsystem compiles with: the generated export header, defined for building the
# shared library, the framework and Boost.
add_library(arvex_subsystem_base INTERFACE)
target_include_directories(arvex_subsystem_base INTERFACE
    "$<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>")
target_compile_definitions(arvex_subsystem_base INTERFACE arvex_utilities_EXPORTS)
target_link_libraries(arvex_subsystem_base INTERFACE Boost::headers tarsk_core korm_zero)

function(arvex_subsystem name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;DEPENDS;LIBS")
    set(target arvex_${name})
    add_library(${target} OBJECT ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC
        "$<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>")
    list(TRANSFORM ARG_DEPENDS PREPEND arvex_)
    target_link_libraries(${target} PUBLIC arvex_subsystem_base ${ARG_DEPENDS} ${ARG_LIBS})
    arvex_warnings(${target})

    target_sources(arvex_utilities PRIVATE $<TARGET_OBJECTS:${target}>)
    target_include_directories(arvex_utilities PUBLIC
        "$<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>")
    target_link_libraries(arvex_utilities PUBLIC ${ARG_LIBS})
    install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.hpp")
endfunction()
