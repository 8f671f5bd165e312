# Installation: libraries, public headers, CMake packages (find_package(rte) gives rte::rte and
# rte::main; find_package(toolbox) gives toolbox::toolbox) and pkg-config files (rte, toolbox,
# qm7300). Included last from the top-level CMakeLists, when every target exists.
include(CMakePackageConfigHelpers)

set(RTE_EXPORTED rte win32 win32_kernel32 win32_user32 win32_advapi32 win32_shell32)
if(TARGET rte_main)
  list(APPEND RTE_EXPORTED rte_main)
  set_target_properties(rte_main PROPERTIES EXPORT_NAME main)
endif()
install(TARGETS ${RTE_EXPORTED} EXPORT rteTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT rteTargets NAMESPACE rte:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/rte)

install(TARGETS toolbox EXPORT toolboxTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT toolboxTargets NAMESPACE toolbox:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/toolbox)

if(TARGET qm7300)
  install(TARGETS qm7300 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/qm7300/QM7300.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qm7300)
endif()

# Only public headers are installed, in their folders, so `#include "toolbox/toolbox.h"` works
# installed as in the tree: the headers at the top of rte/ and win32/, and toolbox.h with the
# family headers under toolbox/. Internal headers (*_internal.h, and the engine's layer folders)
# and test-only headers (testing.h, *_testing.h) stay behind. The install check compiles each
# installed header alone as C and as C++.
foreach(dir rte win32)
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h)
  list(FILTER headers EXCLUDE REGEX "(/testing|_testing|_internal)\\.h$")
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${dir})
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/toolbox/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/toolbox
        FILES_MATCHING PATTERN "*.h"
        PATTERN "*_testing.h" EXCLUDE PATTERN "*_internal.h" EXCLUDE
        PATTERN "consumer" EXCLUDE)

foreach(pkg rte toolbox)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/pkg/${pkg}Config.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}Config.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${pkg})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}ConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${pkg})
endforeach()

# pkg-config: static libraries, so the private needs (C++ run time, threads, dl) are listed.
# The prefix is found from the .pc file's own place, so an installed tree can be moved.
file(RELATIVE_PATH PC_RELATIVE_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" PC_RELATIVE_PREFIX "${PC_RELATIVE_PREFIX}")
# The Windows modules that hold code, in static link order (users before what they use).
set(WIN32_PC_LIBS "")
foreach(module shell32 user32 advapi32 kernel32)
  get_target_property(type win32_${module} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    string(APPEND WIN32_PC_LIBS " -lwin32_${module}")
  endif()
endforeach()
foreach(pkg rte toolbox qm7300)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/pkg/${pkg}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
