# Installation: libraries, public headers, CMake packages (find_package(rte) gives rte::rte and
# rte::main; find_package(toolbox) gives toolbox::toolbox) and pkg-config files (rte, toolbox,
# qm7300). Included last from the top-level CMakeLists, when every target exists.
include(CMakePackageConfigHelpers)

set(RTE_EXPORTED rte win32)
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

# Public headers keep their folders, so `#include "toolbox/toolbox.h"` works installed as in the
# tree. Test-only headers (testing.h, *_testing.h) stay behind.
foreach(dir rte win32 toolbox)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${dir}
          FILES_MATCHING PATTERN "*.h"
          PATTERN "testing.h" EXCLUDE PATTERN "*_testing.h" EXCLUDE
          PATTERN "consumer" EXCLUDE PATTERN "main" EXCLUDE)
endforeach()

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
foreach(pkg rte toolbox qm7300)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/pkg/${pkg}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkg/${pkg}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
