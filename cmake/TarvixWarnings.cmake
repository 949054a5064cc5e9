# Applied to every target of ours, never to third-party code.
function(tarvix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TARVIX_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One static library per subsystem folder: every .cpp of the folder.
function(tarvix_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A subsystem whose first source has not landed yet still links.
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/empty_${name}.cpp)
    file(WRITE ${placeholder} "")
    set(sources ${placeholder})
  endif()
  add_library(tarvix_${name} STATIC ${sources})
  add_library(tarvix::${name} ALIAS tarvix_${name})
  target_include_directories(tarvix_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tarvix_${name} PUBLIC ${ARG_DEPS})
  tarvix_warnings(tarvix_${name})
endfunction()
