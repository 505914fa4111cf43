# azurev_layer(NAME DIR LINKS...): one static library made of every source in DIR
# (searched recursively, so a unit added to the folder joins the layer by itself).
function(azurev_layer name)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC azurev_settings ${L_LINKS})
  # Bytes become text only where the code says how (QString::fromLatin1, DisplayText),
  # never by an implicit conversion that would guess UTF-8.
  target_compile_definitions(${name} PRIVATE QT_NO_CAST_FROM_ASCII)
endfunction()

# azurev_tests(PREFIX LINKS...): one test executable per tst_*.cpp in this folder,
# registered with CTest under PREFIX/name, run offscreen with a fixed locale.
function(azurev_tests prefix)
  cmake_parse_arguments(T "" "" "LINKS;DEFINES" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB support_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp
                                              ${CMAKE_CURRENT_SOURCE_DIR}/support/*.h)
  foreach(src ${test_sources})
    get_filename_component(base ${src} NAME_WE)
    set(target ${prefix}_${base})
    add_executable(${target} ${src} ${support_sources})
    target_link_libraries(${target} PRIVATE ${T_LINKS} Qt6::Test)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${target} PRIVATE ${T_DEFINES})
    set_target_properties(${target} PROPERTIES AZUREV_TEST ON)
    add_test(NAME ${prefix}/${base} COMMAND ${target})
    set_tests_properties(${prefix}/${base} PROPERTIES
      TIMEOUT 180
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC")
  endforeach()
endfunction()
