# The copy of items and prices between projects: the operation and the batch command without
# windows, then the source dialog, the copy window and the main window's buttons.
korvex_test(test_copy
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../CopyFixture.h ${CMAKE_CURRENT_LIST_DIR}/CopyItemsTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CopyCommandTest.cpp
    LIBS korvex_cli korvex_shell_ops)
korvex_test(test_copy_windows GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../CopyFixture.h ${CMAKE_CURRENT_LIST_DIR}/../ShellFixture.h
            ${CMAKE_CURRENT_LIST_DIR}/CopyWindowsTest.cpp
    LIBS korvex_shell)
