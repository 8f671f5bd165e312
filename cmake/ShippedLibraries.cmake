# The libraries as they are shipped, made from the static libraries the folders build.
#
#   ship_library(NAME NODE STATIC...)   called once in the folder of library NAME: at the end of
#       that folder (so every source and link of it is known, and its imported targets are in
#       scope) makes the shipped library NAME from the static libraries STATIC (an interface
#       library stands for the static libraries it gathers), and the alias NAME::NAME (rte::win32
#       for win32) that installed programs link.
#
# Shared (BUILD_SHARED_LIBS, the default): one shared library a piece, from the object files of
# its static libraries:
#   librte.so.1      rte                           version node RTE_1
#   libwin32.so.1    every win32_<module> folded    WIN32_1 (one library, so kernel32's weak
#                    into one                       references to the other modules' records
#                                                   bind inside it; win32/builtin_modules_internal.h)
#   libtoolbox.so.1  toolbox                        TOOLBOX_1
#   libqm7300.so.1   qm7300 (built shared)           QM7300_1
# Each exports exactly what its public headers declare (public_headers() in Shipping.cmake):
# scripts/gen_symbol_table.py writes the linker version script from the headers at build time,
# so a function added to a public header is exported without further ado, and everything else,
# the C++ internals and the libraries linked in, is local. The test shipped.exports compares
# each library's dynamic symbols with the declarations. A library links with --no-undefined:
# one that used another's internals would fail to link rather than carry a second copy.
#
# Static (BUILD_SHARED_LIBS=OFF): the folders' static libraries are shipped as they are. The
# device library qm7300 is a shared library in every build, as the program's DLL always was
# (and its tests stand in for its calls through the dynamic linker); it is shipped as built.
#
# Either way rte::rte, rte::win32, toolbox::toolbox and qm7300::qm7300 name what is shipped;
# the installed programs link those, the tests the folders' static libraries. The thread tests'
# build (THREAD_TESTS_ONLY) ships nothing and its aliases name the static libraries.
set(SHIPPED_LIBRARY_VERSION 1.0.0)  # the C API's version; the SONAME takes its first number
string(REGEX MATCH "^[0-9]+" SHIPPED_SOVERSION ${SHIPPED_LIBRARY_VERSION})

function(ship_library name node)
  # A deferred call reads variables when it runs: the arguments are written into it now.
  list(JOIN ARGN " " libs)
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _ship_library ${name} ${node} ${libs})")
endfunction()

# The shipped alias of a library: rte::rte, rte::win32, toolbox::toolbox, qm7300::qm7300.
function(_shipped_alias var name)
  if(name STREQUAL "win32")
    set(${var} rte::win32 PARENT_SCOPE)
  else()
    set(${var} ${name}::${name} PARENT_SCOPE)
  endif()
endfunction()

# The static libraries STATIC stand for: themselves, or for an interface library the static
# libraries of the tree it gathers.
function(_static_parts var)
  set(parts "")
  foreach(lib IN LISTS ARGN)
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND parts ${lib})
    elseif(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(gathered ${lib} INTERFACE_LINK_LIBRARIES)
      foreach(item IN LISTS gathered)
        if(TARGET ${item})
          get_target_property(itype ${item} TYPE)
          if(itype STREQUAL "STATIC_LIBRARY")
            list(APPEND parts ${item})
          endif()
        endif()
      endforeach()
    endif()
  endforeach()
  set(${var} ${parts} PARENT_SCOPE)
endfunction()

function(_ship_library name node)
  _shipped_alias(alias ${name})
  set(static_libs ${ARGN})
  list(GET static_libs 0 first)
  get_target_property(first_type ${first} TYPE)
  if(first_type STREQUAL "SHARED_LIBRARY")
    # A library its folder builds shared in every build (qm7300, the device library, as the
    # program's DLL always was) is shipped as it is: it gets the export list and the SONAME.
    set(target ${first})
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
  elseif(NOT BUILD_SHARED_LIBS OR THREAD_TESTS_ONLY)
    add_library(${alias} ALIAS ${first})
    return()
  else()
    set(target ${name}_shared)
    _static_parts(parts ${static_libs})
    # Which shipped library each static library of the tree ends up in (read by the others).
    foreach(lib IN LISTS static_libs parts)
      set_property(GLOBAL PROPERTY SHIPPED_IN_${lib} ${target})
    endforeach()
    set(objects "")
    foreach(lib IN LISTS parts)
      list(APPEND objects $<TARGET_OBJECTS:${lib}>)
    endforeach()
    add_library(${target} SHARED ${objects})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} LINKER_LANGUAGE CXX
                          LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
    target_include_directories(${target} INTERFACE
      $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    # What the static libraries link: another library of the tree becomes its shipped library
    # (public: these headers include its headers); anything else (SQLite, SDL2, threads...) is
    # private to this library.
    foreach(lib IN LISTS parts)
      get_target_property(links ${lib} LINK_LIBRARIES)
      foreach(item IN LISTS links)
        if(NOT item)
          continue()
        endif()
        set(shipped "")
        if(TARGET ${item})
          get_target_property(aliased ${item} ALIASED_TARGET)
          if(aliased)
            set(item ${aliased})
          endif()
          get_property(shipped GLOBAL PROPERTY SHIPPED_IN_${item})
        endif()
        if(shipped)
          if(NOT shipped STREQUAL target)
            target_link_libraries(${target} PUBLIC ${shipped})
          endif()
        else()
          target_link_libraries(${target} PRIVATE ${item})
        endif()
      endforeach()
    endforeach()
  endif()
  add_library(${alias} ALIAS ${target})

  public_headers(headers ${name})
  set(map ${PROJECT_BINARY_DIR}/exports/${name}.map)
  add_custom_command(
    OUTPUT ${map}
    COMMAND Python3::Interpreter ${RTE_SYMBOL_TABLE_SCRIPT} --version-script ${map} --node ${node} ${headers}
    DEPENDS ${RTE_SYMBOL_TABLE_SCRIPT} ${headers}
    COMMENT "Generating the export list of lib${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${map})
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${name}
    VERSION ${SHIPPED_LIBRARY_VERSION} SOVERSION ${SHIPPED_SOVERSION}
    LINK_DEPENDS ${map}
    INSTALL_RPATH "$ORIGIN")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
  # Clang leaves the sanitizers' run time to the program, so its symbols stay undefined here.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND SANITIZE))
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
  endif()

  # It exports exactly its public declarations.
  if(BUILD_TESTING AND NOT THREAD_TESTS_ONLY)
    add_test(NAME shipped.exports.${name}
             COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check_exports.py
                     $<TARGET_FILE:${target}> ${headers})
    set_tests_properties(shipped.exports.${name} PROPERTIES LABELS "unit;install")
  endif()
endfunction()
