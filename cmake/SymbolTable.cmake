# rte_add_symbol_table(<target> HEADERS <public headers...>)
#   Generates, at build time, the program's symbol table (RteProgramSymbols and
#   RteProgramSymbolCount, read by rte_main's start-up code) listing every function and extern
#   data object declared in the headers and in the project headers they #include, and adds it
#   to the target's sources.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(RTE_SYMBOL_TABLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../scripts/gen_symbol_table.py)

function(rte_add_symbol_table target)
  cmake_parse_arguments(ST "" "" "HEADERS" ${ARGN})
  set(headers "")
  foreach(h IN LISTS ST_HEADERS)
    get_filename_component(abs ${h} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND headers ${abs})
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_symbols.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND Python3::Interpreter ${RTE_SYMBOL_TABLE_SCRIPT} --root ${PROJECT_SOURCE_DIR}
            --output ${out} --depfile ${out}.d ${headers}
    DEPENDS ${RTE_SYMBOL_TABLE_SCRIPT} ${headers}
    DEPFILE ${out}.d
    COMMENT "Generating the symbol table of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
