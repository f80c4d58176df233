# The Wayland overlay (runtime/wayland_overlay.cpp and wayland_overlay_window.cpp, with its globals and
# buffers in runtime/wayland_globals.cpp and runtime/wayland_shm.cpp) and
# what it needs: the client code of the viewporter protocol, which
# wayland-scanner makes from the XML that wayland-protocols installs;
# wayland-client; and Qt's platform interfaces, its private headers.
#   brisora_add_wayland_overlay(TARGET)   builds the overlay into TARGET
include_guard(GLOBAL)

find_package(Qt6 REQUIRED COMPONENTS Gui)
# Later Qt releases find their private modules only when asked.
if(NOT TARGET Qt6::GuiPrivate)
  find_package(Qt6 REQUIRED COMPONENTS GuiPrivate)
endif()
# Qt's package knows where they would be, but not whether they are there.
find_path(BRISORA_QPA_HEADERS qpa/qplatformnativeinterface.h
  PATHS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_HEADERS}/QtGui/${Qt6Gui_VERSION}/QtGui" NO_DEFAULT_PATH)
if(NOT BRISORA_QPA_HEADERS)
  message(FATAL_ERROR "Qt's private headers are missing (Debian: qt6-base-private-dev)")
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_check_modules(WAYLAND_PROTOCOLS REQUIRED wayland-protocols)
pkg_get_variable(_brisora_protocols wayland-protocols pkgdatadir)
pkg_get_variable(_brisora_scanner wayland-scanner wayland_scanner)
find_program(WAYLAND_SCANNER NAMES wayland-scanner HINTS "${_brisora_scanner}" REQUIRED)

# The glue is C, and C++ would give its interface tables internal linkage.
enable_language(C)

function(brisora_add_wayland_overlay target)
  # The glue is made once, whichever targets take the overlay, and here
  # rather than where this file is included, so that it gets the compile
  # options set in between.
  if(NOT TARGET brisora_wayland_glue)
    set(dir "${CMAKE_BINARY_DIR}/wayland-overlay")
    set(glue)
    foreach(xml stable/viewporter/viewporter.xml)
      get_filename_component(name "${xml}" NAME_WE)
      set(header "${dir}/${name}-client-protocol.h")
      set(code "${dir}/${name}-protocol.c")
      add_custom_command(OUTPUT "${header}" "${code}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
        COMMAND "${WAYLAND_SCANNER}" client-header "${_brisora_protocols}/${xml}" "${header}"
        COMMAND "${WAYLAND_SCANNER}" private-code "${_brisora_protocols}/${xml}" "${code}"
        DEPENDS "${_brisora_protocols}/${xml}"
        COMMENT "wayland-scanner ${name}"
        VERBATIM)
      list(APPEND glue "${header}" "${code}")
    endforeach()
    add_library(brisora_wayland_glue OBJECT ${glue})
    set_target_properties(brisora_wayland_glue PROPERTIES AUTOMOC OFF)
    target_include_directories(brisora_wayland_glue PUBLIC "${dir}")
    target_link_libraries(brisora_wayland_glue PUBLIC PkgConfig::WAYLAND_CLIENT)
  endif()
  cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH top)
  target_sources(${target} PRIVATE "${top}/runtime/wayland_overlay.cpp" "${top}/runtime/wayland_overlay_window.cpp"
    "${top}/runtime/wayland_shm.cpp"
    "${top}/runtime/wayland_globals.cpp")
  target_include_directories(${target} PRIVATE "${top}")
  target_link_libraries(${target} PRIVATE brisora_wayland_glue PkgConfig::WAYLAND_CLIENT Qt6::GuiPrivate)
endfunction()
