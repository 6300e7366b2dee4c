# The build's layers. No target sees the whole source tree: each publishes
# only its own headers, as one-line forwarders under
# build/include/<target>/<folder>/<header>, and reaches another layer's
# headers only by linking it. An include that runs upward finds no file.

# lumos_headers(target [PUBLIC|PRIVATE|INTERFACE] item...): each item is a
# folder (all its headers) or one header, named from the source root as the
# includes name it.
function(lumos_headers target)
  set(scope PUBLIC)
  if(ARGV1 MATCHES "^(PUBLIC|PRIVATE|INTERFACE)$")
    set(scope ${ARGV1})
    list(REMOVE_AT ARGN 0)
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(item ${ARGN})
    if(item MATCHES "\\.h$")
      set(headers ${item})
    else()
      file(GLOB headers RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
           ${CMAKE_SOURCE_DIR}/${item}/*.h)
    endif()
    foreach(h ${headers})
      file(CONFIGURE OUTPUT ${root}/${h} CONTENT "#include \"${CMAKE_SOURCE_DIR}/${h}\"\n")
    endforeach()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# lumos_layer_probe(name target header PASS|FAIL): a test that compiles one
# file including header as a file of target would, and expects it to compile
# (PASS) or to stop because the header is not found (FAIL).
function(lumos_layer_probe name target header expect)
  set(source ${CMAKE_BINARY_DIR}/layer-probes/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
  add_library(layer_probe_${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(layer_probe_${name} PRIVATE ${target})
  add_test(NAME layers.${name}
           COMMAND ${CMAKE_COMMAND} -DTREE=${CMAKE_BINARY_DIR} -DTARGET=layer_probe_${name}
                   -DHEADER=${header} -DEXPECT=${expect} -P ${CMAKE_SOURCE_DIR}/cmake/LayerProbe.cmake)
  set_tests_properties(layers.${name} PROPERTIES LABELS layers RESOURCE_LOCK build_tree)
endfunction()
