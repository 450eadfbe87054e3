# Install rules: the programs, the libraries and their public headers, the
# CMake package (find_package(WSQ) gives WSQ::wsq and WSQ::imagelib, and
# their static forms WSQ::wsq_static and WSQ::imagelib_static) and the
# pkg-config files `wsq` and `wsqimage`.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/WsqLibraries.cmake)

foreach(program wsqview wsqconv)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
  endif()
endforeach()

install(TARGETS wsq_shared wsq_static imagelib_shared imagelib_static EXPORT WSQTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libraries
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libraries)
# A stripped install (cmake --install --strip, the Debian package) drops the
# debug information of the static libraries too.
foreach(archive wsq_static imagelib_static)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:${archive}>\")
    endif()" COMPONENT libraries)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/include/wsq/wsq.h ${PROJECT_SOURCE_DIR}/include/wsq/wsq_c.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/wsq COMPONENT libraries)
list(TRANSFORM WSQ_PUBLIC_IMAGELIB_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/imagelib/)
install(FILES ${WSQ_PUBLIC_IMAGELIB_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/wsq/imagelib COMPONENT libraries)

set(WSQ_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/WSQ)
install(EXPORT WSQTargets NAMESPACE WSQ:: DESTINATION ${WSQ_CMAKE_DIR} COMPONENT libraries)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/WSQConfig.cmake.in
  ${CMAKE_BINARY_DIR}/WSQConfig.cmake INSTALL_DESTINATION ${WSQ_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/WSQConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/WSQConfig.cmake ${CMAKE_BINARY_DIR}/WSQConfigVersion.cmake
  DESTINATION ${WSQ_CMAKE_DIR} COMPONENT libraries)

# pkg-config files; a staged tree is used with PKG_CONFIG_SYSROOT_DIR.
foreach(module wsq wsqimage)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${module}.pc.in ${CMAKE_BINARY_DIR}/${module}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${module}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT libraries)
endforeach()
