# kotoha_add_module(<name> SOURCES <files...> LIBS <targets...>)
# A part of the program kept out of its file and loaded at its first use
# (platform/ui/modules.h): built into one folder of the build tree,
# installed in the prefix's library folder. Whatever loads a module at run
# time (the program, a test, a benchmark) names it in add_dependencies: no
# library links it, so nothing else would build it first.
include(GNUInstallDirs)
set(KOTOHA_MODULES_BUILT ${PROJECT_BINARY_DIR}/modules)
file(RELATIVE_PATH KOTOHA_MODULES_INSTALLED ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/kotoha)

function(kotoha_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${KOTOHA_MODULES_BUILT})
  install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kotoha)
endfunction()
