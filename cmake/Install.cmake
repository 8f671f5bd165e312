# Installation of the shipped libraries (cmake/ShippedLibraries.cmake), their public headers,
# CMake packages and pkg-config files. Included last from the top-level CMakeLists, when every
# target exists. Two components, which the .deb packages follow (cmake/Packages.cmake):
#   Runtime      the shared libraries, the programs, their panel files, man pages and documents
#   Development  headers, the shared libraries' links, static libraries, package files
#
# CMake packages: find_package(rte) gives rte::rte, rte::win32 and rte::main (the start-up code
# of programs with a WinMain), find_package(toolbox) gives toolbox::toolbox, find_package(qm7300)
# gives qm7300::qm7300. pkg-config: rte, win32, toolbox, qm7300. Both find their prefix from
# their own place, so an installed tree can be moved; both serve a C program as well as a C++
# one, and the pkg-config files' --cflags carry only the include folder the headers need.
if(THREAD_TESTS_ONLY)
  return()
endif()
include(CMakePackageConfigHelpers)

set(lib ${CMAKE_INSTALL_LIBDIR})
get_target_property(WIN32_MODULES win32 INTERFACE_LINK_LIBRARIES)  # win32_kernel32, ...
list(FILTER WIN32_MODULES INCLUDE REGEX "^win32_")
set_target_properties(rte_main PROPERTIES EXPORT_NAME main)
# The targets the shipped names stand for (cmake/ShippedLibraries.cmake).
foreach(shipped rte::rte rte::win32 toolbox::toolbox qm7300::qm7300)
  string(REPLACE "::" "_" var ${shipped})
  get_target_property(${var} ${shipped} ALIASED_TARGET)
endforeach()
set(RTE_EXPORTED ${rte_rte} ${rte_win32} rte_main)
if(NOT BUILD_SHARED_LIBS)
  list(APPEND RTE_EXPORTED ${WIN32_MODULES})
endif()
set(TOOLBOX_EXPORTED ${toolbox_toolbox})
set(QM7300_EXPORTED ${qm7300_qm7300})
# A C program that links static libraries of C++ code needs the C++ run time the C++ compiler
# would have added.
foreach(target ${rte_rte} ${WIN32_MODULES} ${toolbox_toolbox} ${qm7300_qm7300})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY" AND NOT BUILD_SHARED_LIBS)
    target_link_libraries(${target} INTERFACE $<$<NOT:$<LINK_LANGUAGE:CXX>>:stdc++>
                                              $<$<NOT:$<LINK_LANGUAGE:CXX>>:m>)
  endif()
endforeach()
foreach(pkg rte toolbox qm7300)
  string(TOUPPER ${pkg} PKG)
  install(TARGETS ${${PKG}_EXPORTED} EXPORT ${pkg}Targets
          LIBRARY DESTINATION ${lib} COMPONENT Runtime NAMELINK_COMPONENT Development
          ARCHIVE DESTINATION ${lib} COMPONENT Development)
  install(EXPORT ${pkg}Targets NAMESPACE ${pkg}:: DESTINATION ${lib}/cmake/${pkg} COMPONENT Development)
endforeach()

# Only public headers are installed, in their folders, so `#include "toolbox/toolbox.h"` works
# installed as in the tree. The install check compiles each installed header alone as C and as
# C++.
foreach(library rte win32 toolbox qm7300)
  public_headers(headers ${library})
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
    get_filename_component(folder ${relative} DIRECTORY)
    install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder} COMPONENT Development)
  endforeach()
endforeach()

# static_needs(FLAGS_VAR FINDS_VAR LIBRARY...): what the static libraries link besides the
# tree's own: FLAGS_VAR gets the linker flags (a pkg-config module's libraries, -pthread,
# -ldl...), FINDS_VAR the CMake lines that find the same imported targets again for the
# package's users. Read from the libraries' links, so a library a folder adds
# (target_link_libraries(... PkgConfig::X)) reaches the .pc and the package by itself.
function(static_needs flags_var finds_var)
  set(flags "")
  set(finds "")
  foreach(target IN LISTS ARGN)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      continue()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    foreach(item IN LISTS links)
      if(item MATCHES "^PkgConfig::(.+)$")
        set(prefix ${CMAKE_MATCH_1})
        list(APPEND flags ${${prefix}_LDFLAGS})
        list(JOIN __pkg_config_arguments_${prefix} " " arguments)
        list(APPEND finds "pkg_check_modules(${prefix} ${arguments})")
      elseif(item STREQUAL "Threads::Threads")
        list(APPEND flags -pthread)
        list(APPEND finds "find_dependency(Threads)")
      elseif(NOT item OR TARGET ${item} OR item MATCHES "^\\$<")
        continue()  # a library of the tree, or an expression of the C++ run time's
      elseif(item MATCHES "^-")
        list(APPEND flags ${item})
      else()
        list(APPEND flags -l${item})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES finds)
  list(JOIN finds "\n  " finds)
  set(${flags_var} ${flags} PARENT_SCOPE)
  set(${finds_var} "${finds}" PARENT_SCOPE)
endfunction()

# CMake packages. A static install brings the libraries' own needs along (PACKAGE_STATIC).
set(PACKAGE_STATIC TRUE)
if(BUILD_SHARED_LIBS)
  set(PACKAGE_STATIC FALSE)
endif()
static_needs(RTE_STATIC_FLAGS RTE_PACKAGE_FINDS ${rte_rte} ${WIN32_MODULES})
static_needs(WIN32_STATIC_FLAGS unused ${WIN32_MODULES})
static_needs(TOOLBOX_STATIC_FLAGS TOOLBOX_PACKAGE_FINDS ${toolbox_toolbox})
static_needs(ENGINE_STATIC_FLAGS unused ${rte_rte})
foreach(pkg rte toolbox qm7300)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/pkg/${pkg}Config.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}Config.cmake
    INSTALL_DESTINATION ${lib}/cmake/${pkg})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}ConfigVersion.cmake
          DESTINATION ${lib}/cmake/${pkg} COMPONENT Development)
endforeach()

# pkg-config. The prefix is found from the .pc file's own place. Shared: each file names its
# library alone. Static (pkg-config --static): Libs.private lists, as flags, the shared system
# libraries the library calls (static_needs: for rte and win32 the graphics, SQLite, GIO...
# libraries, and the C++ run time), rather than requiring their packages, whose include
# folders --cflags would then add; --cflags stays the one include folder the headers need.
file(RELATIVE_PATH PC_RELATIVE_PREFIX "/${lib}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" PC_RELATIVE_PREFIX "${PC_RELATIVE_PREFIX}")
function(pc_flags var)
  set(flags ${ARGN})
  list(REMOVE_DUPLICATES flags)
  list(FILTER flags EXCLUDE REGEX "^-L/(usr/)?lib")  # the linker's own folders
  list(JOIN flags " " flags)
  set(${var} "${flags}" PARENT_SCOPE)
endfunction()
set(CXX_RUNTIME_FLAGS -lstdc++ -lm -pthread)
if(BUILD_SHARED_LIBS)
  set(WIN32_PC_LIBS "-lwin32")
  set(RTE_PC_LIBS_PRIVATE "")
  set(WIN32_PC_LIBS_PRIVATE "")
  set(TOOLBOX_PC_LIBS_PRIVATE "")
  set(QM7300_PC_LIBS_PRIVATE "")
else()
  # The Windows modules that hold code, in static link order (users before what they use),
  # and the records of built-in modules the linker must keep (win32/CMakeLists.txt).
  set(WIN32_PC_LIBS "${WIN32_PC_LINK_FLAGS}")
  foreach(module shell32 user32 advapi32 kernel32)
    get_target_property(type win32_${module} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      string(APPEND WIN32_PC_LIBS " -lwin32_${module}")
    endif()
  endforeach()
  string(STRIP "${WIN32_PC_LIBS}" WIN32_PC_LIBS)
  pc_flags(RTE_PC_LIBS_PRIVATE ${ENGINE_STATIC_FLAGS} ${CXX_RUNTIME_FLAGS})
  pc_flags(WIN32_PC_LIBS_PRIVATE ${WIN32_STATIC_FLAGS} ${CXX_RUNTIME_FLAGS})
  pc_flags(TOOLBOX_PC_LIBS_PRIVATE ${TOOLBOX_STATIC_FLAGS} ${CXX_RUNTIME_FLAGS})
  set(QM7300_PC_LIBS_PRIVATE "")  # shared in every build
endif()
foreach(pkg rte win32 toolbox qm7300)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/pkg/${pkg}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc DESTINATION ${lib}/pkgconfig COMPONENT Development)
endforeach()

# The project's documents: the README beside the man pages the folders install.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
