# The installed codec and image libraries, shared and static. They are built
# from the sources of the internal targets `wsq` and `imagelib` (which the
# programs and tests link), compiled once more as position-independent code.
include(GNUInstallDirs)

set(WSQ_PUBLIC_IMAGELIB_HEADERS
  background.h bitmap.h bitmap_ops.h compositing.h errors.h image_library.h image_record.h)

# A position-independent object library holding the sources of `internal`.
function(wsq_objects_of name internal)
  get_target_property(sources ${internal} SOURCES)
  get_target_property(options ${internal} COMPILE_OPTIONS)
  get_target_property(links ${internal} LINK_LIBRARIES)
  add_library(${name} OBJECT ${sources})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  if(options)
    target_compile_options(${name} PRIVATE ${options})
  endif()
  # Only for the include folders of what the sources use.
  if(links)
    target_link_libraries(${name} PRIVATE ${links})
  endif()
endfunction()

# A shared and a static library from the objects, named `output` on disk and
# `export` in the CMake package.
function(wsq_libraries_of objects output export)
  add_library(${export}_shared SHARED $<TARGET_OBJECTS:${objects}>)
  add_library(${export}_static STATIC $<TARGET_OBJECTS:${objects}>)
  set_target_properties(${export}_shared PROPERTIES
    OUTPUT_NAME ${output} EXPORT_NAME ${export}
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installed)
  set_target_properties(${export}_static PROPERTIES
    OUTPUT_NAME ${output} EXPORT_NAME ${export}_static
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installed)
endfunction()

wsq_objects_of(wsq_objects wsq)
wsq_libraries_of(wsq_objects wsq wsq)
foreach(kind shared static)
  target_include_directories(wsq_${kind} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(wsq_${kind} INTERFACE cxx_std_20)
endforeach()

wsq_objects_of(imagelib_objects imagelib)
wsq_libraries_of(imagelib_objects wsqimage imagelib)
# The image library's headers include each other as "imagelib/...".
foreach(kind shared static)
  target_include_directories(imagelib_${kind} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/wsq>)
endforeach()
target_link_libraries(imagelib_shared PUBLIC wsq_shared
  PRIVATE TIFF::TIFF PNG::PNG JPEG::JPEG GIF::GIF ZLIB::ZLIB)
target_link_libraries(imagelib_static PUBLIC wsq_static
  PRIVATE TIFF::TIFF PNG::PNG JPEG::JPEG GIF::GIF ZLIB::ZLIB)
