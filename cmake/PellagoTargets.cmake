# Small helpers that keep the per-folder CMake files to a line or two.
# Sources are globbed so that several people can add files to one folder
# without touching its CMake file.

set(PELLAGO_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter)

# pellago_library(NAME FOLDER [QT] DEPS ...): a static library of the .cpp
# files directly in FOLDER (no subfolders).
function(pellago_library name)
  cmake_parse_arguments(ARG "QT" "FOLDER" "DEPS" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_FOLDER}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${ARG_FOLDER}/*.h)
  if(NOT sources)
    # A layer whose code has not arrived yet still links.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${PELLAGO_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
endfunction()
