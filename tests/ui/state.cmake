pragant_add_test(NAME tst_MainWindow SOURCES tst_MainWindow.cpp LIBS pragant_test_gui LABELS ui)
