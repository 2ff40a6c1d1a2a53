# The DLLs a Windows program linked against our Qt needs beside it: Qt's libraries, the platform
# plugins in platforms/ and the native Windows style in styles/ (Qt looks for plugins in the
# program's folder), and the compiler's runtime DLLs that Qt's DLLs import. The build puts them
# beside the programs so that these run from the build folder under wine; the Windows zip
# installs the same files.

set(QZ7_QT_PLATFORM_PLUGINS Qt6::QWindowsIntegrationPlugin Qt6::QOffscreenIntegrationPlugin)
# Without it Qt falls back to its classic "windows" style, which draws read-only values grey.
set(QZ7_QT_STYLE_PLUGIN Qt6::QWindowsVistaStylePlugin)
if(NOT TARGET ${QZ7_QT_STYLE_PLUGIN})
  message(FATAL_ERROR "The Qt for Windows at ${QT6_INSTALL_PREFIX} has no ${QZ7_QT_STYLE_PLUGIN}")
endif()

# libgcc, libstdc++ and winpthread as DLLs, where the cross compiler keeps them.
set(QZ7_WINDOWS_RUNTIME_DLLS)
foreach(dll IN ITEMS libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  list(APPEND QZ7_WINDOWS_RUNTIME_DLLS "${path}")
endforeach()

# Adds a target that copies the Qt libraries QT_TARGETS (Qt6::Core, ...), the platform plugins,
# the style plugin and the runtime DLLs into FOLDER. Programs in that folder depend on it.
function(qz7_add_qt_runtime_copy name folder)
  set(libraries)
  foreach(qt_target IN LISTS ARGN)
    list(APPEND libraries "$<TARGET_FILE:${qt_target}>")
  endforeach()
  set(plugins)
  foreach(plugin IN LISTS QZ7_QT_PLATFORM_PLUGINS)
    list(APPEND plugins "$<TARGET_FILE:${plugin}>")
  endforeach()
  add_custom_target(${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}/platforms" "${folder}/styles"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${libraries} ${QZ7_WINDOWS_RUNTIME_DLLS}
            "${folder}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${plugins} "${folder}/platforms"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${QZ7_QT_STYLE_PLUGIN}>"
            "${folder}/styles"
    COMMENT "Qt and runtime DLLs into ${folder}"
    VERBATIM)
endfunction()
