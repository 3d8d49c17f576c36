# Installs the library, the platform libraries, all public headers and an exported CMake package
# so that outside projects can do find_package(arvex_utilities CONFIG REQUIRED).

get_property(_platform_targets GLOBAL PROPERTY ARVEX_PLATFORM_TARGETS)
get_property(_platform_includes GLOBAL PROPERTY ARVEX_INCLUDE_DIRS)
get_property(_platform_generated GLOBAL PROPERTY ARVEX_GENERATED_INCLUDE_DIRS)

install(TARGETS arvex_utilities ${_platform_targets}
    EXPORT arvex_utilitiesTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(DIRECTORY
        "${CMAKE_CURRENT_SOURCE_DIR}/include/"
        "${CMAKE_CURRENT_BINARY_DIR}/generated/"
        ${_platform_includes}
        ${_platform_generated}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    FILES_MATCHING PATTERN "*.hpp" PATTERN "*.h")

set(_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/arvex_utilities)
install(EXPORT arvex_utilitiesTargets
    NAMESPACE arvex_utilities::
    DESTINATION ${_cmake_dir})

configure_package_config_file(
    "${CMAKE_CURRENT_SOURCE_DIR}/cmake/arvex_utilitiesConfig.cmake.in"
    "${CMAKE_CURRENT_BINARY_DIR}/arvex_utilitiesConfig.cmake"
    INSTALL_DESTINATION ${_cmake_dir})
write_basic_package_version_file(
    "${CMAKE_CURRENT_BINARY_DIR}/arvex_utilitiesConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES
        "${CMAKE_CURRENT_BINARY_DIR}/arvex_utilitiesConfig.cmake"
        "${CMAKE_CURRENT_BINARY_DIR}/arvex_utilitiesConfigVersion.cmake"
    DESTINATION ${_cmake_dir})
