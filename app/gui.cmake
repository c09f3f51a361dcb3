# Tavlor40: the catalog browser (Qt 6 Widgets): the Qt classes of the app folders; the
# Qt-free logic beside them is tavlorcore (CMakeLists.txt).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(X11)

# The folders, from the top down; each may use the ones below it, never one above:
#   shell/       the program: application, main frame, its actions and status bar
#   panes/       the tree and list panes and Properties
#   tools/       Find Files, Find Duplicate Files, Compare Disk/Catalog (logic in tavlorcore)
#   export/      HTML export and the file actions (open, extract/copy, drag out), with their dialogs
#   collection/  opening, closing and cataloguing disks, and their small dialogs
#   options/     the View Options sheet
#   common/      the document and the helpers every window uses (message boxes, icons,
#                settings access, name texts, the dialog runner, the wait cursor)
set(GUI_SOURCES
  shell/AboutBox.cpp
  shell/CMainFrame.cpp
  shell/CTavlor2App.cpp
  shell/FrameActions.cpp
  shell/FrameStatusBar.cpp
  shell/HelpTopics.cpp
  shell/LockKeys.cpp
  shell/WindowPlacement.cpp
  panes/CProperties.cpp
  panes/EntryListModel.cpp
  panes/FolderTreeModel.cpp
  panes/ListPane.cpp
  panes/PaneMenus.cpp
  panes/TreeBranchStyle.cpp
  panes/ToolDialogs.cpp
  panes/TreePane.cpp
  tools/FindDuplicatesDlg.cpp
  tools/FindFilesDlg.cpp
  tools/ReportFileDialog.cpp
  tools/ResultDialog.cpp
  tools/ResultListModel.cpp
  tools/ResultMenu.cpp
  export/CExtract.cpp
  export/DragDropMgr.cpp
  export/FileActions.cpp
  collection/CCatalogNewDisk.cpp
  collection/CCatalogNewDiskProgress.cpp
  collection/CDescription.cpp
  collection/CInstertDisk.cpp
  collection/CMessageDialog.cpp
  collection/CVolumeLabel.cpp
  collection/CatalogCommands.cpp
  export/CSaveAsHTML.cpp
  options/CViewOptions.cpp
  options/CViewOptionsColumns.cpp
  options/CViewOptionsExplorer.cpp
  options/CViewOptionsPage.cpp
  tools/CompareResultModel.cpp
  tools/DriveCompare.cpp
  common/AppSettings.cpp
  common/CTavlor2Doc.cpp
  common/DialogRunner.cpp
  common/Icons.cpp
  common/MessageBoxes.cpp
  common/PaintBreaks.cpp
  common/ReportList.cpp
  common/TextCodec.cpp
)
list(TRANSFORM GUI_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)

# Everything but main() is a library, so the widget tests and the benchmark link the
# very classes the program runs.
add_library(tavgui STATIC ${GUI_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/resources/tavlor.qrc)
set_target_properties(tavgui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(tavgui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/shell
                                         ${CMAKE_CURRENT_SOURCE_DIR}/panes ${CMAKE_CURRENT_SOURCE_DIR}/tools
                                         ${CMAKE_CURRENT_SOURCE_DIR}/collection
                                         ${CMAKE_CURRENT_SOURCE_DIR}/options ${CMAKE_CURRENT_SOURCE_DIR}/common
                                         ${CMAKE_CURRENT_SOURCE_DIR}/export
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
tavlor_installed_program(Tavlor40)
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
