# What a Qt program needs beside it on Windows: the Qt DLLs, the platform plugin
# (platforms/qwindows.dll), the style plugin of the native look (styles/qwindowsvistastyle.dll)
# and the MinGW runtime DLLs that Qt's DLLs load (the programs themselves link the runtime
# statically). They are copied beside the program after each link, so that the build's program
# folder runs as it is, under Wine too, and tools/package-windows.sh packs that folder.

# The full paths of the MinGW runtime DLLs, as the compiler finds them.
function(keyloom_mingw_runtime_dlls out)
  set(found)
  foreach(name libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(
      COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
      OUTPUT_VARIABLE path
      OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find the runtime DLL ${name}")
    endif()
    list(APPEND found ${path})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(keyloom_copy_qt_runtime target)
  keyloom_mingw_runtime_dlls(runtime_dlls)
  set(folder $<TARGET_FILE_DIR:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
            ${runtime_dlls} ${folder}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/platforms ${folder}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> ${folder}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${folder}/styles
    VERBATIM)
endfunction()
