# The layer table (cmake/layers.txt) applied to the targets: each layer's library keyloom_<layer>
# may link, of the layer libraries, only those of the layers the table names for it. Called once
# every library is defined; a link against the table stops the configure.
function(keyloom_check_layer_links)
  file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/layers.txt lines)
  set(layers)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(REGEX MATCHALL "[^ \t]+" fields "${line}")
    list(LENGTH fields count)
    if(count LESS 2)
      continue()
    endif()
    list(POP_FRONT fields layer qt)
    list(APPEND layers ${layer})
    set(allowed_${layer} ${fields})
  endforeach()

  foreach(layer IN LISTS layers)
    if(NOT TARGET keyloom_${layer})
      continue()
    endif()
    get_target_property(links keyloom_${layer} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link MATCHES "^Keyloom::(.+)$" AND CMAKE_MATCH_1 IN_LIST layers
         AND NOT CMAKE_MATCH_1 STREQUAL layer AND NOT CMAKE_MATCH_1 IN_LIST allowed_${layer})
        message(FATAL_ERROR "keyloom_${layer} links ${link}, which cmake/layers.txt does not "
                            "let the layer ${layer} use")
      endif()
    endforeach()
  endforeach()
endfunction()
