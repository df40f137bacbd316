# Shared settings of every target of the project.

if(TARVEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# CI and scripts/test build with warnings as errors; a plain build only
# warns, so a newer compiler's new warning never stops a user's build.
option(TARVEX_WERROR "Treat warnings as errors" OFF)

# Text inside both deliverables is code page 1251: Russian literals in the
# UTF-8 sources become cp1251 bytes.
function(tarvex_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
    -Woverloaded-virtual -Wold-style-cast -Wformat=2 -fexec-charset=CP1251)
  if(TARVEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# tarvex_library(name SOURCES ... DEPS ...): a static layer of the library.
function(tarvex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  tarvex_options(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tarvex_version_resource(target): the project's version for the target's
# TARVEX_VERSION_RESOURCE (platform/shell/version_resource.h), as
# TARVEX_VERSION_MAJOR, _MINOR and _PATCH.
function(tarvex_version_resource target)
  set(patch 0)
  if(PROJECT_VERSION_PATCH)
    set(patch ${PROJECT_VERSION_PATCH})
  endif()
  target_compile_definitions(${target} PRIVATE
    TARVEX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    TARVEX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    TARVEX_VERSION_PATCH=${patch})
endfunction()

# tarvex_test(name SOURCES ... DEPS ...): a GoogleTest binary run by ctest,
# linked with the shared test support (tests/support).
function(tarvex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tarvex_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tarvex_test_support GTest::gtest
    GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TARVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TARVEX_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# tarvex_test_module(name [BESIDE]): the test loads the library module,
# which is built first; its path is TARVEX_MODULE_PATH. With BESIDE the
# module also lies beside the test's binary, where the editor looks for it.
function(tarvex_test_module name)
  cmake_parse_arguments(ARG "BESIDE" "" "" ${ARGN})
  add_dependencies(${name} Qim.Tarvex.Lib)
  target_compile_definitions(${name} PRIVATE TARVEX_MODULE_PATH="$<TARGET_FILE:Qim.Tarvex.Lib>")
  if(ARG_BESIDE)
    add_custom_command(TARGET ${name} POST_BUILD COMMAND ${CMAKE_COMMAND} -E create_symlink
      $<TARGET_FILE:Qim.Tarvex.Lib> $<TARGET_FILE_DIR:${name}>/$<TARGET_FILE_NAME:Qim.Tarvex.Lib>)
  endif()
endfunction()

# The deliverables and the programs that go with them share one folder, in
# the build as in an install (<prefix>/lib/tarvex): the editor loads the
# module from its own folder, and each finds the COM runtime there through
# $ORIGIN. The build already carries the installed RUNPATH, so installing
# edits nothing, no build path is baked in, and an installed prefix can be
# moved. Programs get a relative symbolic link in <prefix>/bin.
set(TARVEX_DELIVERY_DIR lib/tarvex)

# tarvex_deliverable(target): builds the target into the folder and
# installs it there.
function(tarvex_deliverable target)
  set(folder ${PROJECT_BINARY_DIR}/${TARVEX_DELIVERY_DIR})
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${folder}
    RUNTIME_OUTPUT_DIRECTORY ${folder}
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target}
    LIBRARY DESTINATION ${TARVEX_DELIVERY_DIR}
    RUNTIME DESTINATION ${TARVEX_DELIVERY_DIR})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(name $<TARGET_FILE_NAME:${target}>)
    install(CODE "
      set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(MAKE_DIRECTORY \"\${bin}\")
      message(STATUS \"Linking: \${bin}/${name}\")
      file(CREATE_LINK ../${TARVEX_DELIVERY_DIR}/${name} \"\${bin}/${name}\" SYMBOLIC)")
  endif()
endfunction()
