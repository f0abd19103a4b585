# The running window's core: attach, login, read-all, write-all, gating, detach, close.
pragant_add_test(NAME tst_MainWindow SOURCES tst_MainWindow.cpp
  LIBS pragant_test_gui pragant_sim LABELS ui)
pragant_add_test(NAME tst_ReadWriteAll SOURCES tst_ReadWriteAll.cpp
  LIBS pragant_test_gui pragant_sim LABELS ui)
