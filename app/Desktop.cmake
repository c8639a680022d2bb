# The desktop program `leafsmith`: its classes in a library that the tests
# link too, and the executable around them.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets PrintSupport)

add_library(leafsmith_ui STATIC
  BackgroundRuns.cpp
  BackgroundTask.cpp
  CAboutDlg.cpp
  CAcquireDlg.cpp
  CAdvancedDjvuDlg.cpp
  CBatchSettingsDlg.cpp
  CConversionDetailsDlg.cpp
  CDjvuSettingsDlg.cpp
  CGeneralSettingsDlg.cpp
  CIw44SettingsDlg.cpp
  CJpegSettingsDlg.cpp
  CAddTextDlg.cpp
  CLeafApp.cpp
  CLeafDoc.cpp
  CLeafDocEdit.cpp
  CLeafView.cpp
  CMainFrame.cpp
  CMainFrameScan.cpp
  CMainFrameMulti.cpp
  CMainFrameText.cpp
  CFindBar.cpp
  CTextSearch.cpp
  PageTextFinder.cpp
  CProgramHintDlg.cpp
  CResizeDlg.cpp
  ClipboardImage.cpp
  CSaveProgressDlg.cpp
  CSelectSourceDlg.cpp
  CSelectionBar.cpp
  CSettingsDialog.cpp
  CSweeperOptionsDlg.cpp
  CThumbnailOptionsDlg.cpp
  CTextPositionDlg.cpp
  DisplayImage.cpp
  DocumentTexts.cpp
  FileDialogFilters.cpp
  PageJobs.cpp
  PagePrinting.cpp
  PrintLayout.cpp
  ProgramLogo.cpp
  RecentFiles.cpp
  ResizeFields.cpp
  SettingsControls.cpp
  ToolbarIcons.cpp
  UndoStore.cpp
  UserPrompts.cpp
  ZoomLevel.cpp
)
set_target_properties(leafsmith_ui PROPERTIES AUTOMOC ON)
target_compile_definitions(leafsmith_ui PUBLIC LEAFSMITH_VERSION="${LEAFSMITH_VERSION_TEXT}")
target_link_libraries(leafsmith_ui PUBLIC save_parameters conversion_parameters multi formats scanner
                      settings text_label leafsmith_shell_support Qt6::Widgets
                      Qt6::PrintSupport)

add_executable(leafsmith main.cpp)
target_link_libraries(leafsmith PRIVATE leafsmith_ui)
