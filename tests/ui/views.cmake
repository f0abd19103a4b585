# Status view, languages, dialogs and settings rules of the main window.
set(PRAGANT_VIEWS_FIXTURES ${CMAKE_CURRENT_SOURCE_DIR}/fixtures)

pragant_add_test(NAME tst_StatusView SOURCES tst_StatusView.cpp fixtures/ViewsSupport.h
  LIBS pragant_test_gui LABELS ui)
pragant_add_test(NAME tst_Languages SOURCES tst_Languages.cpp fixtures/ViewsSupport.h
  LIBS pragant_test_gui LABELS ui)
pragant_add_test(NAME tst_Dialogs SOURCES tst_Dialogs.cpp fixtures/ViewsSupport.h
  LIBS pragant_test_gui LABELS ui)
pragant_add_test(NAME tst_SettingsRules SOURCES tst_SettingsRules.cpp fixtures/ViewsSupport.h
  LIBS pragant_test_gui LABELS ui)
pragant_add_test(NAME tst_SettingsFileGui SOURCES tst_SettingsFileGui.cpp fixtures/ViewsSupport.h
  LIBS pragant_test_gui LABELS ui)
target_compile_definitions(tst_SettingsFileGui PRIVATE
  PRAGANT_VIEWS_FIXTURES="${PRAGANT_VIEWS_FIXTURES}")

# Pictures of the real window on the simulated device in all three languages, not a test:
#   QT_QPA_PLATFORM=offscreen app_screenshot OUT-DIR
add_executable(app_screenshot app_screenshot.cpp)
target_link_libraries(app_screenshot PRIVATE pragant_test_gui)
