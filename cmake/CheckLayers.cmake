# The layer check: fails when a source file includes a header of a layer above
# its own, climbs out of its folder with "..", or lives in a folder that is not
# a layer.  Run by the build (src/CMakeLists.txt) as
#
#   cmake -DSOURCE_DIR=<src> -DLAYERS=<lowest,...,highest> -P CheckLayers.cmake
#
# A folder's sources may include "<layer>/..." for their own layer and every
# layer listed before it; includes without a folder (Qt's generated files)
# are not layered.

cmake_minimum_required(VERSION 3.24)

if(NOT SOURCE_DIR OR NOT LAYERS)
  message(FATAL_ERROR "CheckLayers.cmake needs SOURCE_DIR and LAYERS")
endif()
string(REPLACE "," ";" LAYERS "${LAYERS}")

set(problems "")

file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY ${SOURCE_DIR}/${folder} AND NOT folder IN_LIST LAYERS)
    list(APPEND problems "src/${folder}/ is not one of the layers")
  endif()
endforeach()

set(include_line "^[ \t]*#[ \t]*include[ \t]*\"")
foreach(layer IN LISTS LAYERS)
  list(FIND LAYERS ${layer} rank)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "${include_line}")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "${include_line}([^\"]*)\".*" "\\1" header "${line}")
      if(header MATCHES "(^|/)\\.\\.(/|$)")
        list(APPEND problems "src/${file}: \"${header}\" climbs out of its folder")
        continue()
      endif()
      if(NOT header MATCHES "/")
        continue()
      endif()
      string(REGEX REPLACE "/.*" "" top "${header}")
      list(FIND LAYERS "${top}" included_rank)
      if(included_rank GREATER rank)
        list(APPEND problems
             "src/${file}: \"${header}\" belongs to the ${top} layer, above ${layer}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  list(JOIN LAYERS " " order)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}\n"
                      "A layer may include only itself and the layers below it, lowest first: ${order}")
endif()
