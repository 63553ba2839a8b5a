# comrt on Windows (cmake/mingw-w64.cmake): the system supplies strings, arrays, variants
# and their conversions, error information, activation, the registry, the font object and
# colour translation (oleaut32, ole32, advapi32), so comrt is only what the system lacks
# and our code needs: the C++ helpers (ComPtr, the RAII holders, implements<>, errors),
# dispatch from type descriptions, the object collection, and the server helpers, whose
# registration writes the system registry (src/server_windows.cpp).
enable_language(RC)

add_library(comrt STATIC ${comrt_portable_support_sources} src/server_windows.cpp)
target_include_directories(comrt PUBLIC include)
target_link_libraries(comrt PUBLIC oleaut32 ole32 advapi32 uuid)

# typelib-dump FILE: the type library the system loads from a file, as the same text the
# Linux tool prints.
add_executable(typelib-dump tools/typelib_dump.cpp tools/typelib_format.cpp)
target_link_libraries(typelib-dump PRIVATE comrt)

# ---- type libraries -------------------------------------------------------------------------
# Each library's type library is compiled by widl from the IDL that the Linux build's tool
# <library>-idl writes from the library's type description, then every member is put back at
# its own vtable slot (<library>-idl --fix-slots). PG_HOST_TOOLS names the folder of those
# tools (a Linux build's bin/).
set(PG_HOST_TOOLS "" CACHE PATH "The bin/ folder of a Linux build with comrt-idl and the libraries' -idl tools")
if(NOT EXISTS "${PG_HOST_TOOLS}/comrt-idl")
  message(FATAL_ERROR "PG_HOST_TOOLS (${PG_HOST_TOOLS}) holds no comrt-idl: build the Linux tools first (scripts/windows.sh does)")
endif()
find_program(PG_WIDL NAMES ${PG_MINGW_TRIPLET}-widl widl REQUIRED)
# The system's stdole2.tlb, which every type library imports (Wine's copy on this machine).
find_path(PG_STDOLE2_DIR stdole2.tlb REQUIRED NO_CMAKE_FIND_ROOT_PATH
          PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows)

set(COMRT_TYPELIB_DIR ${CMAKE_BINARY_DIR}/typelib CACHE INTERNAL "")
set(COMRT_IDL_DIR ${CMAKE_CURRENT_SOURCE_DIR}/idl CACHE INTERNAL "")
set(COMRT_SERVER_DEF ${CMAKE_CURRENT_SOURCE_DIR}/server_exports.def CACHE INTERNAL "")

# comrt_typelib(<name> <tool> [DEPENDS <tlb>...]): ${COMRT_TYPELIB_DIR}/<name>.tlb from the
# IDL that <tool> writes.
function(comrt_typelib name tool)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "DEPENDS")
  set(idl ${COMRT_TYPELIB_DIR}/${name}.idl)
  set(tlb ${COMRT_TYPELIB_DIR}/${name}.tlb)
  add_custom_command(
    OUTPUT ${idl} ${tlb}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${COMRT_TYPELIB_DIR}
    COMMAND ${PG_HOST_TOOLS}/${tool} --idl ${idl}
    COMMAND ${PG_WIDL} -m64 -t -I ${COMRT_IDL_DIR} -I ${COMRT_TYPELIB_DIR} -L ${PG_STDOLE2_DIR}
            -L ${COMRT_TYPELIB_DIR} -o ${tlb} ${idl}
    COMMAND ${PG_HOST_TOOLS}/${tool} --fix-slots ${tlb}
    DEPENDS ${PG_HOST_TOOLS}/${tool} ${COMRT_IDL_DIR}/automation.idl ${ARG_DEPENDS}
    COMMENT "Type library ${name}.tlb"
    VERBATIM)
  add_custom_target(${name}_typelib DEPENDS ${tlb})
endfunction()

# comrt's own library: the object collection, which other libraries' descriptions refer to.
comrt_typelib(comrt comrt-idl)

# comrt_server_library(<target> [IMPORTS <library>...]): makes a shared library <target>.dll
# an in-process server that exports DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
# DllUnregisterServer only (server_exports.def), with its type library as resource TYPELIB 1
# and comrt's as TYPELIB 2 (registration registers every TYPELIB resource). IMPORTS names the
# server libraries whose type libraries its own refers to (they register their own).
function(comrt_server_library target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "IMPORTS")
  set(imported ${COMRT_TYPELIB_DIR}/comrt.tlb)
  foreach(library IN LISTS ARG_IMPORTS)
    list(APPEND imported ${COMRT_TYPELIB_DIR}/${library}.tlb)
  endforeach()
  comrt_typelib(${target} ${target}-idl DEPENDS ${imported})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_typelib.rc)
  file(WRITE ${rc} "1 TYPELIB \"${COMRT_TYPELIB_DIR}/${target}.tlb\"\n2 TYPELIB \"${COMRT_TYPELIB_DIR}/comrt.tlb\"\n")
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${COMRT_TYPELIB_DIR}/${target}.tlb;${COMRT_TYPELIB_DIR}/comrt.tlb")
  target_sources(${target} PRIVATE ${rc} ${COMRT_SERVER_DEF})
  target_link_libraries(${target} PRIVATE comrt)
  add_dependencies(${target} ${target}_typelib comrt_typelib)
  foreach(library IN LISTS ARG_IMPORTS)
    add_dependencies(${target}_typelib ${library}_typelib)
  endforeach()
  set_target_properties(${target} PROPERTIES PREFIX "")
endfunction()
