# Compiler settings shared by every target of the project.

add_library(keyloom_options INTERFACE)
add_library(Keyloom::options ALIAS keyloom_options)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(keyloom_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  if(KEYLOOM_WERROR)
    target_compile_options(keyloom_options INTERFACE -Werror)
  endif()
  if(KEYLOOM_SANITIZE)
    target_compile_options(keyloom_options INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(keyloom_options INTERFACE -fsanitize=address,undefined)
  endif()
elseif(MSVC)
  target_compile_options(keyloom_options INTERFACE /W4 /permissive- /utf-8)
  if(KEYLOOM_WERROR)
    target_compile_options(keyloom_options INTERFACE /WX)
  endif()
endif()

if(WIN32)
  target_compile_definitions(keyloom_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

# Names the source files of a layer that belong to the platform being built: every file that ends
# in _linux.cpp or _windows.cpp is kept only on its platform.
function(keyloom_platform_sources out)
  set(kept)
  foreach(file IN LISTS ARGN)
    if(file MATCHES "_linux\\.cpp$" AND NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
      continue()
    endif()
    if(file MATCHES "_windows\\.cpp$" AND NOT WIN32)
      continue()
    endif()
    list(APPEND kept ${file})
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()
