# Debian packages of an install (cmake/Install.cmake), made with `cpack -G DEB` in the build
# folder (the release build: `cd build/release && cpack -G DEB`):
#   qm7300-suite      the Runtime component: shared libraries, QM7300_Test with its panel file,
#                     rtereg, qm7300-sim, man pages, the README
#   qm7300-suite-dev  the Development component: headers, the shared libraries' links, static
#                     libraries, CMake packages, pkg-config files
# Files are stripped. The runtime package's dependencies are computed from its programs and
# libraries by dpkg-shlibdeps; its shlibs file lets other packages depend on it the same way.
# It also depends on SDL's decoration plugin, which SDL loads at run time (so dpkg-shlibdeps
# cannot see it): without it windows on Wayland have no title bar to move or close them by.
# The dev package depends on the runtime package of the same version, and after a static build
# (BUILD_SHARED_LIBS=OFF) on the system libraries' dev packages the static libraries need.
if(THREAD_TESTS_ONLY)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qm7300-suite)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test utility for QM7300 digital I/O devices, and its libraries")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "QM7300_Test lists the QM7300 devices, reads and writes their ports and
shows the device library's version; it runs on simulated devices unless
told otherwise, or on QM7300 modules on the network (Modbus/TCP), on a
screen or headless under an operator script (rte-script(7)). With it come
the libraries it is built on: the run-time engine (rte), the Windows API
subset (win32), the utility library (toolbox) and the device library
(qm7300), rtereg, the tool for the registry store, and qm7300-sim, which
serves simulated devices to any Modbus/TCP client.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Headers, CMake packages (toolbox, rte, qm7300) and pkg-config files
(toolbox, rte, win32, qm7300) for building C and C++ programs on the
libraries of qm7300-suite, and the start-up library of programs with a
WinMain.")
set(CPACK_PACKAGE_CONTACT "QM7300 suite maintainers <qm7300-suite@example.org>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME qm7300-suite)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libdecor-0-plugin-1-cairo")
# The dynamic linker's cache is brought up to date by dpkg's trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/pkg/deb/triggers)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME qm7300-suite-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(dev_depends "qm7300-suite (= ${PROJECT_VERSION})")
if(NOT BUILD_SHARED_LIBS)
  string(APPEND dev_depends ", libsdl2-dev, libpango1.0-dev, libcairo2-dev, libfontconfig-dev, libsqlite3-dev, libglib2.0-dev, libcivetweb-dev")
endif()
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${dev_depends}")

include(CPack)
