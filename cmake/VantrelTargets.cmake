# Common settings for every target of the project.

set(VANTREL_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
set(VANTREL_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

# A test's time limit: a sanitizer build runs several times slower, and a busy machine slower
# still; the limit only stops a test that hangs.
if(VANTREL_SANITIZE OR VANTREL_TSAN)
  set(VANTREL_TEST_TIMEOUT 1200)
else()
  set(VANTREL_TEST_TIMEOUT 600)
endif()

# Warning and sanitizer flags, applied to each project target.
function(vantrel_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VANTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(VANTREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(VANTREL_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# A project library of listed files of the current folder, and the headers it owns: a file of
# another project library may include them only when that library links this one (directly or
# through the libraries it links), which the build checks (vantrel_check_includes).
#   vantrel_library(NAME lib SOURCES a.cpp ... HEADERS a.h ... LIBS deps...)
function(vantrel_library)
  cmake_parse_arguments(A "" "NAME" "SOURCES;HEADERS;LIBS" ${ARGN})
  set(srcs)
  foreach(f ${A_SOURCES})
    get_filename_component(f ${f} ABSOLUTE)
    list(APPEND srcs ${f})
  endforeach()
  set(headers)
  foreach(f ${A_HEADERS})
    get_filename_component(f ${f} ABSOLUTE)
    list(APPEND headers ${f})
  endforeach()
  if(srcs)
    add_library(${A_NAME} STATIC ${srcs})
    target_include_directories(${A_NAME} PUBLIC ${VANTREL_SOURCE_ROOT})
    target_link_libraries(${A_NAME} PUBLIC ${A_LIBS})
    vantrel_target_options(${A_NAME})
  else()
    add_library(${A_NAME} INTERFACE)
    target_include_directories(${A_NAME} INTERFACE ${VANTREL_SOURCE_ROOT})
    target_link_libraries(${A_NAME} INTERFACE ${A_LIBS})
  endif()
  vantrel_record_links(${A_NAME} ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY VANTREL_LIBRARIES ${A_NAME})
  set_property(GLOBAL PROPERTY VANTREL_FILES_${A_NAME} ${srcs} ${headers})
  foreach(h ${headers})
    file(RELATIVE_PATH rel ${VANTREL_SOURCE_ROOT} ${h})
    set_property(GLOBAL APPEND PROPERTY VANTREL_HEADERS "${rel}>${A_NAME}")
  endforeach()
endfunction()

# One library per folder: every .cpp and .h directly in the folder (and in its listed sub
# folders). An excluded .cpp takes its .h of the same name with it.
#   vantrel_folder_library(NAME lib DIRS . sub ... LIBS deps... [EXCLUDE file.cpp ...])
function(vantrel_folder_library)
  cmake_parse_arguments(A "" "NAME" "DIRS;LIBS;EXCLUDE" ${ARGN})
  if(NOT A_DIRS)
    set(A_DIRS .)
  endif()
  set(srcs)
  set(headers)
  foreach(d ${A_DIRS})
    get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR}/${d} ABSOLUTE)
    file(GLOB s CONFIGURE_DEPENDS ${dir}/*.cpp)
    file(GLOB h CONFIGURE_DEPENDS ${dir}/*.h)
    list(APPEND srcs ${s})
    list(APPEND headers ${h})
  endforeach()
  foreach(x ${A_EXCLUDE})
    get_filename_component(f ${CMAKE_CURRENT_SOURCE_DIR}/${x} ABSOLUTE)
    list(REMOVE_ITEM srcs ${f})
    string(REGEX REPLACE "\\.cpp$" ".h" h ${f})
    list(REMOVE_ITEM headers ${h})
  endforeach()
  vantrel_library(NAME ${A_NAME} SOURCES ${srcs} HEADERS ${headers} LIBS ${A_LIBS})
endfunction()

# Adds every immediate sub folder that has a CMakeLists.txt.
function(vantrel_add_subdirs)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# A GoogleTest executable from every .cpp of the current folder, registered with CTest.
#   vantrel_test(NAME t LABEL unit|gl|ui LIBS deps... [QT] [ENV VAR=value...] [SOURCES extra...]
#                [PROPERTIES name value...]     (test properties, such as a RESOURCE_LOCK)
#                [EXCLUDE file.cpp...])         (files of the folder that belong to another test)
# LABEL gl and ui tests run on the X server of xvfb-run; unit tests run without a display.
# QT: the test's main creates a QApplication first (needed by every test that makes widgets).
# Either main points HOME and the XDG folders at a fresh temporary folder before any test runs.
function(vantrel_test)
  cmake_parse_arguments(A "QT" "NAME;LABEL" "LIBS;ENV;SOURCES;PROPERTIES;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(x ${A_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${x})
  endforeach()
  add_executable(${A_NAME} ${srcs} ${A_SOURCES})
  if(A_QT)
    set(main vantrel_testmain_qt)
  else()
    set(main vantrel_testmain)
  endif()
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} vantrel_testsupport ${main} GTest::gtest GTest::gmock)
  vantrel_record_links(${A_NAME} ${A_LIBS})
  vantrel_target_options(${A_NAME})
  target_compile_definitions(${A_NAME} PRIVATE VANTREL_FIXTURES="${VANTREL_SOURCE_ROOT}/tests/fixtures"
                                               VANTREL_ASSETS="${VANTREL_SOURCE_ROOT}/assets")
  if(NOT A_LABEL)
    set(A_LABEL unit)
  endif()
  if(A_LABEL STREQUAL "unit")
    set_property(GLOBAL APPEND PROPERTY VANTREL_UNIT_TESTS ${A_NAME})
  endif()
  set(env ${A_ENV})
  if(A_LABEL STREQUAL "unit")
    list(APPEND env QT_QPA_PLATFORM=offscreen)
  else()
    list(APPEND env QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1)
  endif()
  # The environment goes through env(1) as the test launcher: gtest_discover_tests flattens
  # a list given as the ENVIRONMENT property.
  set_target_properties(${A_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "/usr/bin/env;${env}")
  gtest_discover_tests(${A_NAME}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${A_LABEL} TIMEOUT ${VANTREL_TEST_TIMEOUT} ${A_PROPERTIES})
endfunction()

# Records the project libraries (names that begin with vantrel_) a target links, so that
# vantrel_check_links can fail the configure on a name that no target carries: CMake itself
# would pass such a name to the linker as a system library.
function(vantrel_record_links target)
  foreach(lib ${ARGN})
    if(lib MATCHES "^vantrel_")
      set_property(GLOBAL APPEND PROPERTY VANTREL_LINKED "${target}>${lib}")
    endif()
  endforeach()
endfunction()

# Called once every folder is added (a test may link a target defined in a later folder).
function(vantrel_check_links)
  vantrel_check_includes()
  get_property(links GLOBAL PROPERTY VANTREL_LINKED)
  foreach(link ${links})
    string(REPLACE ">" ";" pair "${link}")
    list(GET pair 0 target)
    list(GET pair 1 lib)
    if(NOT TARGET ${lib})
      message(FATAL_ERROR "${target} links ${lib}, which is not a target")
    endif()
  endforeach()
endfunction()

# The libraries a project library links, itself included, through every library they link.
function(vantrel_link_closure target out)
  get_property(links GLOBAL PROPERTY VANTREL_LINKED)
  set(closure ${target})
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    foreach(link ${links})
      if(link MATCHES "^${t}>(.*)$")
        set(lib ${CMAKE_MATCH_1})
        if(NOT lib IN_LIST closure)
          list(APPEND closure ${lib})
          list(APPEND todo ${lib})
        endif()
      endif()
    endforeach()
  endwhile()
  set(${out} ${closure} PARENT_SCOPE)
endfunction()

# For each project library, a build step that fails when one of its files includes a header
# owned by a library it does not link: the layers are kept one way by the build, not by review.
function(vantrel_check_includes)
  get_property(libraries GLOBAL PROPERTY VANTREL_LIBRARIES)
  get_property(headers GLOBAL PROPERTY VANTREL_HEADERS)
  set(dir ${CMAKE_BINARY_DIR}/include_checks)
  foreach(target ${libraries})
    vantrel_link_closure(${target} closure)
    set(forbidden)
    foreach(pair ${headers})
      string(REPLACE ">" ";" pair "${pair}")
      list(GET pair 0 header)
      list(GET pair 1 owner)
      if(NOT owner IN_LIST closure)
        list(APPEND forbidden "${header}>${owner}")
      endif()
    endforeach()
    get_property(files GLOBAL PROPERTY VANTREL_FILES_${target})
    file(CONFIGURE OUTPUT ${dir}/${target}.cmake CONTENT
         "set(target \"${target}\")\nset(files \"${files}\")\nset(forbidden \"${forbidden}\")\n")
    add_custom_command(OUTPUT ${dir}/${target}.stamp
      COMMAND ${CMAKE_COMMAND} -DLIST=${dir}/${target}.cmake -DSTAMP=${dir}/${target}.stamp
              -P ${VANTREL_CMAKE_DIR}/VantrelCheckIncludes.cmake
      DEPENDS ${files} ${dir}/${target}.cmake ${VANTREL_CMAKE_DIR}/VantrelCheckIncludes.cmake
      COMMENT "Checking the includes of ${target}" VERBATIM)
    add_custom_target(${target}_includes ALL DEPENDS ${dir}/${target}.stamp)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      add_dependencies(${target} ${target}_includes)
    endif()
  endforeach()
endfunction()
