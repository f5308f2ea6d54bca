# Fails when a source file includes a header of a folder that is not below its own.
# Usage: cmake -DSOURCE_DIR=<folder holding the src/ folders> -P check_layers.cmake
#
# Each folder of src/ may include headers of its own folder and of the folders listed for it;
# subfolders (knx/knxnetip, toolkit/opcua) belong to their top folder. docs/architecture.md
# shows the same order as a picture.
set(layer_platform "")
set(layer_toolkit platform)
set(layer_knx platform)
set(layer_project knx toolkit platform)
set(layer_opc project knx toolkit platform)
set(layer_devices project knx toolkit platform)
set(layer_bus devices project knx toolkit platform)
set(layer_app bus devices opc project knx toolkit platform)
set(layer_ui app bus devices opc project knx toolkit platform)
set(layers platform toolkit knx project opc devices bus app ui)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(wrong "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z_]+)/.*" "\\1" target "${line}")
      list(FIND layers ${target} known)
      list(FIND layer_${layer} ${target} allowed)
      if(NOT target STREQUAL layer AND known GREATER -1 AND allowed EQUAL -1)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
        string(STRIP "${line}" line)
        string(REPLACE ";" " " below "${layer_${layer}}")
        list(APPEND wrong "${name}: ${line} (${layer} may include: ${below})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "Includes against the layer order:\n  ${text}")
endif()
message(STATUS "Every include follows the layer order.")
