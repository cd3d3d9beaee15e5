# cmake/viewer.cmake -- the windowed viewer: SDL2 window, legacy OpenGL with GLU, FreeType
# text through fontconfig, and Dear ImGui for the control panel.
find_package(PkgConfig REQUIRED)
pkg_check_modules(OSTRELLE_SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(OSTRELLE_FONTS REQUIRED IMPORTED_TARGET freetype2 fontconfig)
pkg_check_modules(OSTRELLE_GLU REQUIRED IMPORTED_TARGET glu)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)

file(GLOB OSTRELLE_VIEWER_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/*.cpp
  ${CMAKE_SOURCE_DIR}/render/*.cpp
  ${CMAKE_SOURCE_DIR}/ui/*.cpp)
add_executable(ostrelle ${CMAKE_SOURCE_DIR}/app/main.cpp ${OSTRELLE_VIEWER_SOURCES})
target_compile_definitions(ostrelle PRIVATE OSTRELLE_HAS_VIEWER=1)
target_link_libraries(ostrelle PRIVATE ostrelle_core PkgConfig::OSTRELLE_SDL2 PkgConfig::OSTRELLE_FONTS
  PkgConfig::OSTRELLE_GLU OpenGL::GL)

# Dear ImGui as Debian ships it (the static library holds the SDL2 and OpenGL2 back ends).
find_library(OSTRELLE_IMGUI_LIBRARY NAMES imgui)
find_path(OSTRELLE_IMGUI_INCLUDE NAMES imgui.h PATH_SUFFIXES imgui)
if(OSTRELLE_IMGUI_LIBRARY AND OSTRELLE_IMGUI_INCLUDE)
  target_include_directories(ostrelle PRIVATE ${OSTRELLE_IMGUI_INCLUDE})
  target_link_libraries(ostrelle PRIVATE ${OSTRELLE_IMGUI_LIBRARY})
  target_compile_definitions(ostrelle PRIVATE OSTRELLE_HAS_IMGUI=1)
endif()

# The program tests in tests/gl run this build of the viewer.
set(OSTRELLE_VIEWER_BUILT ON)
