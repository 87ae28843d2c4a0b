# The filter plug-in for 32-bit Windows hosts, cross-compiled with Debian's
# mingw-w64 into VeloraPlugin.8bf with its property list as "PIPL" resource
# 16000. Only the plug-in's own sources are compiled, each through ccache,
# so the cross build costs a few seconds once and nothing after.
#
# velora_windows_plugin(SOURCES <files...>) defines VELORA_WINDOWS_PLUGIN_FILE
# (empty when no cross compiler is installed).

find_program(VELORA_MINGW_CXX i686-w64-mingw32-g++)
find_program(VELORA_MINGW_WINDRES i686-w64-mingw32-windres)

function(velora_windows_plugin)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  set(VELORA_WINDOWS_PLUGIN_FILE "" CACHE INTERNAL "")
  if(NOT VELORA_MINGW_CXX OR NOT VELORA_MINGW_WINDRES)
    message(STATUS "No mingw-w64 for i686: the Windows plug-in is not built")
    return()
  endif()
  # The sanitizers do not reach a cross build: the optimised tree builds it.
  if(VELORA_SANITIZE)
    return()
  endif()

  set(dir ${PROJECT_BINARY_DIR}/plugin-windows)
  file(MAKE_DIRECTORY ${dir})
  set(launcher)
  if(CCACHE_PROGRAM)
    set(launcher ${CCACHE_PROGRAM})
  endif()
  set(flags -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -Wconversion -Wno-sign-conversion
            -DUNICODE -D_UNICODE -I${PROJECT_SOURCE_DIR}/src)

  set(objects)
  foreach(source ${ARG_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    set(object ${dir}/${name}.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${launcher} ${VELORA_MINGW_CXX} ${flags} -MD -MF ${object}.d -c ${source} -o ${object}
      DEPENDS ${source}
      DEPFILE ${object}.d
      COMMENT "Compiling ${name} for Windows"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()

  add_executable(velora_property_list_bytes ${PROJECT_SOURCE_DIR}/src/plugin/windows/PropertyListBytes.cpp)
  target_include_directories(velora_property_list_bytes PRIVATE ${PROJECT_SOURCE_DIR}/src)
  velora_strict_warnings(velora_property_list_bytes CONVERSION)
  set(PIPL_FILE ${dir}/VeloraPlugin.pipl)
  configure_file(${PROJECT_SOURCE_DIR}/src/plugin/windows/VeloraPlugin.rc.in ${dir}/VeloraPlugin.rc @ONLY)
  add_custom_command(OUTPUT ${PIPL_FILE}
    COMMAND velora_property_list_bytes ${PIPL_FILE}
    DEPENDS velora_property_list_bytes
    COMMENT "Writing the plug-in's property list"
    VERBATIM)
  add_custom_command(OUTPUT ${dir}/VeloraPlugin.res.obj
    COMMAND ${VELORA_MINGW_WINDRES} -O coff ${dir}/VeloraPlugin.rc ${dir}/VeloraPlugin.res.obj
    DEPENDS ${dir}/VeloraPlugin.rc ${PIPL_FILE}
    COMMENT "Compiling the plug-in's resources for Windows"
    VERBATIM)

  set(plugin ${dir}/VeloraPlugin.8bf)
  add_custom_command(OUTPUT ${plugin}
    COMMAND ${VELORA_MINGW_CXX} -shared -static-libgcc -static-libstdc++ -s
            ${objects} ${dir}/VeloraPlugin.res.obj -o ${plugin}
    DEPENDS ${objects} ${dir}/VeloraPlugin.res.obj
    COMMENT "Linking VeloraPlugin.8bf"
    VERBATIM)
  add_custom_target(VeloraPluginWindows ALL DEPENDS ${plugin})
  set(VELORA_WINDOWS_PLUGIN_FILE ${plugin} CACHE INTERNAL "")
endfunction()
