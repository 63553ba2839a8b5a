# The layers as the compiler sees them. No target has the repository root on its include
# path: a library exposes its public include/ folder, and a private folder of a layer is
# reachable only by name, through a folder of the build that holds links to exactly the
# source folders a target may use.
#
# pg_layer_root(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...)
#   makes <folder>s (paths from the repository root, such as control or tests/fakes)
#   includable as <folder/...> by <target> (and, PUBLIC or INTERFACE, by what links it).
#   Any other folder of the repository stays out of reach: including one of its headers
#   fails to compile.
function(pg_layer_root target scope)
  set(root ${CMAKE_BINARY_DIR}/layer-roots/${target})
  foreach(folder IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "pg_layer_root(${target}): no folder ${folder} in the repository")
    endif()
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}>)
endfunction()
