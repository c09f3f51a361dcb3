# Tavlor40: the catalog browser (Qt 6 Widgets). Its sources are the Qt classes of the
# app folders (CamelCase file names); the Qt-free logic beside them is tavlorcore.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(X11)

set(GUI_SOURCES)
foreach(folder shell panes collection model tools export)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/[A-Z]*.cpp)
  list(APPEND GUI_SOURCES ${found})
endforeach()
list(FILTER GUI_SOURCES EXCLUDE REGEX "/shell/main\\.cpp$")

# Everything but main() is a library, so the widget tests and the benchmark link the
# very classes the program runs.
add_library(tavgui STATIC ${GUI_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/resources/tavlor.qrc)
set_target_properties(tavgui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(tavgui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/shell
                                         ${CMAKE_CURRENT_SOURCE_DIR}/panes ${CMAKE_CURRENT_SOURCE_DIR}/collection
                                         ${PROJECT_SOURCE_DIR})
target_link_libraries(tavgui PUBLIC Qt6::Widgets tavlorcore Tavscan60 tavplatform)
if(EXISTS ${PROJECT_SOURCE_DIR}/shared/settings/CMakeLists.txt)
  target_link_libraries(tavgui PUBLIC tavsettings)
endif()
if(X11_FOUND AND X11_Xkb_FOUND)
  target_compile_definitions(tavgui PRIVATE TAVLOR_HAVE_X11=1)
  target_link_libraries(tavgui PRIVATE X11::X11)
endif()

add_executable(Tavlor40 ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)
target_link_libraries(Tavlor40 PRIVATE tavgui)
install(TARGETS Tavlor40 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help page: installed to the program folder's Help/, and copied beside the build
# tree's program the same way, so Help Topics works when run from the build folder.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/help/Tavlor_help.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/tavlor/Help)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/help/Tavlor_help.htm ${CMAKE_BINARY_DIR}/share/tavlor/Help/Tavlor_help.htm
               COPYONLY)

if(TAVLOR_BENCH AND EXISTS ${PROJECT_SOURCE_DIR}/bench/gui_list/gui_list_bench.cpp)
  add_executable(gui_list_bench ${PROJECT_SOURCE_DIR}/bench/gui_list/gui_list_bench.cpp)
  target_link_libraries(gui_list_bench PRIVATE tavgui)
endif()
