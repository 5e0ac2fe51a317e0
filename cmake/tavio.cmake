# tavio_library(NAME [PUBLIC libs...] [PRIVATE libs...] [PCH headers...])
# Builds src/NAME/*.cpp into the static library tavio_NAME.
function(tavio_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE;PCH" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(tavio_${name} STATIC ${sources})
  target_include_directories(tavio_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tavio_${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  if(ARG_PCH)
    target_precompile_headers(tavio_${name} PRIVATE ${ARG_PCH})
  endif()
endfunction()

# tavio_tests(FOLDER libs...)
# Every tests/FOLDER/*_test.cpp becomes one test executable, registered with CTest.
function(tavio_tests folder)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  foreach(src ${tests})
    get_filename_component(base ${src} NAME_WE)
    set(target ${folder}_${base})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${ARGN} tavio_testsupport GTest::gtest)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVIO_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data"
      TIMEOUT 300)
  endforeach()
endfunction()
