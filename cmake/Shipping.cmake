# How the project is shipped, set before the folders are read: the kind of library installed,
# the install layout, the programs' library search path and stripping.
#
#   BUILD_SHARED_LIBS (ON)   the libraries are installed as shared libraries (librte.so.1,
#                            libwin32.so.1, libtoolbox.so.1, libqm7300.so.1); OFF installs the
#                            static libraries instead. Either way each library's folder builds
#                            one static library of every object (rte, win32_<module>, toolbox,
#                            qm7300), which the tests link; cmake/ShippedLibraries.cmake makes
#                            the shipped libraries from it.
#   INSTALL_STRIPPED         `cmake --install` strips programs and shared libraries (ON unless
#                            the build type is Debug or empty); `--strip` forces it either way.
#
# The install is relocatable: programs find their libraries through RUNPATH $ORIGIN/../lib (the
# libraries each other through $ORIGIN), the pkg-config files find their prefix from their own
# place, the CMake packages from theirs, and the engine finds a program's panel files under
# ../share/<program> beside the program (LoadPanel in rte/ui.h).
option(BUILD_SHARED_LIBS "Install shared libraries (OFF: static libraries)" ON)

# The documentation goes where Debian looks for the package's: share/doc/<package>. A value the
# user chose is kept; an empty one (also left by an earlier configure) takes the default.
if(NOT CMAKE_INSTALL_DOCDIR)
  set(CMAKE_INSTALL_DOCDIR "share/doc/qm7300-suite" CACHE PATH "Documentation (README, ...)" FORCE)
endif()
include(GNUInstallDirs)
# What the folders install without naming a component belongs to the runtime package.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME Runtime)

# RUNPATH (not RPATH) relative to the program, so LD_LIBRARY_PATH can still override it and a
# moved prefix keeps working.
file(RELATIVE_PATH SHIP_BIN_TO_LIB "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
set(CMAKE_INSTALL_RPATH "$ORIGIN/${SHIP_BIN_TO_LIB}")
add_link_options("LINKER:--enable-new-dtags")

if(CMAKE_BUILD_TYPE STREQUAL "" OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  set(strip_default OFF)
else()
  set(strip_default ON)
endif()
option(INSTALL_STRIPPED "Strip programs and shared libraries when installing" ${strip_default})
if(INSTALL_STRIPPED)
  # Before every folder's install rules: each of them reads CMAKE_INSTALL_DO_STRIP.
  install(CODE "if(NOT DEFINED CMAKE_INSTALL_DO_STRIP)\n  set(CMAKE_INSTALL_DO_STRIP 1)\nendif()"
          ALL_COMPONENTS)
endif()

# install_man_page(PAGE): installs the man page PAGE (a troff file named NAME.SECTION),
# compressed as man pages are kept, into share/man/manSECTION with the runtime files.
function(install_man_page page)
  get_filename_component(source ${page} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(name ${page} NAME)
  string(REGEX MATCH "[0-9]$" section ${name})
  set(gz ${PROJECT_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${source} ${gz}
    DEPENDS ${source} VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT Runtime)
endfunction()

# public_headers(VAR LIBRARY): the public headers of rte, win32, toolbox or qm7300, the ones
# installed and the ones whose declarations a shared library exports. Tests' headers
# (testing.h, *_testing.h) and internal ones (*_internal.h, the engine's layer folders) are not.
function(public_headers var library)
  set(src ${PROJECT_SOURCE_DIR})
  if(library STREQUAL "toolbox")
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${src}/toolbox/*.h)
    list(FILTER headers EXCLUDE REGEX "^${src}/toolbox/consumer/")
  elseif(library STREQUAL "qm7300")
    set(headers ${src}/qm7300/QM7300.h)
  else()
    file(GLOB headers CONFIGURE_DEPENDS ${src}/${library}/*.h)
  endif()
  list(FILTER headers EXCLUDE REGEX "(/testing|_testing|_internal)\\.h$")
  list(SORT headers)
  set(${var} ${headers} PARENT_SCOPE)
endfunction()
