# A cross build runs the data-set tools (assetgen, pack) of a native build of
# the same tree, named by VANDREL_HOST_BUILD; scripts/build-windows makes that
# build first. Only the game, its tests and its benchmarks are cross-built.
set(VANDREL_HOST_BUILD "" CACHE PATH "A native build folder of this tree holding assetgen, pack and the data set")
if(NOT VANDREL_HOST_BUILD OR NOT EXISTS ${VANDREL_HOST_BUILD}/tools/pack/pack)
  message(FATAL_ERROR "A cross build needs -DVANDREL_HOST_BUILD=<a native build folder with tools/pack/pack> "
                      "(scripts/build-windows sets it up)")
endif()
foreach(tool pack assetgen)
  add_executable(${tool} IMPORTED GLOBAL)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${VANDREL_HOST_BUILD}/tools/${tool}/${tool})
endforeach()
set(VANDREL_DATASET_ZIP ${VANDREL_HOST_BUILD}/dataset/vandrel.zip CACHE INTERNAL "The game's data archive, made by the native build")
add_custom_target(dataset)
# The shipped galleries' data sets, compiled from their kits by the native build.
set(VANDREL_GALLERY_ZIPS ${VANDREL_HOST_BUILD}/galleries/hafen.zip CACHE INTERNAL "The shipped galleries' data sets")
add_custom_target(galleries)
# The game's icon, drawn by the native build's icongen, goes into Vandrel.exe
# (cmake/Windows.cmake).
