# Fetches and unpacks a Debian source package at configure time, with Debian's
# patches applied, into ${CMAKE_BINARY_DIR}/_deps/<name>. The package's sources
# are never part of our repository.
#
# zdv_debian_source(<package> <out-var>)
#   Sets <out-var> to the unpacked source tree.
function(zdv_debian_source package out_var)
  set(deps_dir "${CMAKE_BINARY_DIR}/_deps/${package}")
  set(stamp "${deps_dir}/.unpacked")
  if(NOT EXISTS "${stamp}")
    file(REMOVE_RECURSE "${deps_dir}")
    file(MAKE_DIRECTORY "${deps_dir}")
    message(STATUS "Fetching Debian source package ${package}")
    execute_process(
      COMMAND "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/fetch-debian-source.sh" "${package}" "${deps_dir}"
      RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Could not fetch the Debian source package ${package} (is deb-src enabled? run ./test.sh once as root)")
    endif()
    file(TOUCH "${stamp}")
  endif()
  file(GLOB tree LIST_DIRECTORIES true "${deps_dir}/${package}-*")
  list(FILTER tree EXCLUDE REGEX "\\.(tar|dsc|asc|xz|gz|bz2)")
  if(NOT tree)
    message(FATAL_ERROR "No unpacked tree for ${package} in ${deps_dir}")
  endif()
  list(GET tree 0 tree)
  set(${out_var} "${tree}" PARENT_SCOPE)
endfunction()
