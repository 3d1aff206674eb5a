# Install rules. `cmake --install BUILD --prefix PREFIX` gives
#
#   PREFIX/include/lx/            the public headers (cmake/lxPublicHeaders.cmake)
#                                 and lxVersion.h, side by side
#   PREFIX/lib/liblx*.a           lxengine, the engine's layer libraries it
#                                 bundles, and lxcomponents
#   PREFIX/lib/cmake/lx/          the CMake package: find_package(lx) gives
#                                 lx::engine and lx::components
#   PREFIX/lib/pkgconfig/         lxengine.pc and lxcomponents.pc
#   PREFIX/bin/lxconvert          the converter (when its target is built), with
#   PREFIX/share/man/man1/        its manual page
#
# The libraries are static: an installed lxengine names its layer libraries
# and FreeType and fontconfig as link dependencies, lxcomponents names
# lxengine and SQLite 3, in both the CMake package and the pkg-config files.
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/lxPublicHeaders.cmake)

set(LX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lx)
set(LX_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/lx)

# ---------------------------------------------------------------- headers

# The installed headers include each other by bare name; a quoted include of
# a project header that is not installed would break every user's build, so
# it stops the configure step here instead.
set(lx_public_names lxVersion.h)
foreach(header IN LISTS LX_PUBLIC_HEADERS)
  get_filename_component(name ${header} NAME)
  list(APPEND lx_public_names ${name})
endforeach()
foreach(header IN LISTS LX_PUBLIC_HEADERS)
  file(STRINGS ${PROJECT_SOURCE_DIR}/${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
    if(NOT included IN_LIST lx_public_names)
      message(FATAL_ERROR "${header} includes ${included}, which is not in cmake/lxPublicHeaders.cmake: "
                          "add it there (and document it) or drop the include")
    endif()
  endforeach()
endforeach()
list(TRANSFORM LX_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE lx_public_paths)
install(FILES ${lx_public_paths} ${PROJECT_BINARY_DIR}/generated/lxVersion.h DESTINATION ${LX_INCLUDE_DIR})

# ---------------------------------------------------------------- libraries and the CMake package

get_property(lx_layers GLOBAL PROPERTY LX_ENGINE_LAYERS)
install(TARGETS ${lx_layers} lxengine lxcomponents EXPORT lxTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${LX_INCLUDE_DIR})
install(EXPORT lxTargets NAMESPACE lx:: DESTINATION ${LX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/lxConfig.cmake.in ${PROJECT_BINARY_DIR}/lxConfig.cmake
                              INSTALL_DESTINATION ${LX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lxConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/lxConfig.cmake ${PROJECT_BINARY_DIR}/lxConfigVersion.cmake
        DESTINATION ${LX_CMAKE_DIR})

# ---------------------------------------------------------------- pkg-config

# The static libraries in link order: lxengine first, then the layers from
# the highest down (each layer's list of what it links is lower than itself).
set(lx_pc_libs "-llxengine")
list(REVERSE lx_layers)
foreach(layer IN LISTS lx_layers)
  get_target_property(type ${layer} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    string(APPEND lx_pc_libs " -l${layer}")
  endif()
endforeach()
set(lx_pc_link_options "")
if(LX_SANITIZE)
  set(lx_pc_link_options " -fsanitize=address,undefined")
endif()
foreach(pc lxengine lxcomponents)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# ---------------------------------------------------------------- programs

# The converter and its manual page (the version written in) are installed
# once the lxconvert target exists; it must be defined before this file is
# included from the top-level CMakeLists.txt.
if(TARGET lxconvert)
  configure_file(${PROJECT_SOURCE_DIR}/docs/lxconvert.1.in ${PROJECT_BINARY_DIR}/lxconvert.1 @ONLY)
  install(TARGETS lxconvert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/lxconvert.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
