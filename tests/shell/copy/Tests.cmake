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

# Not a test: draws the source dialog and the copy window into PNG files for the README.
add_executable(korvex_copy_screenshots ${CMAKE_CURRENT_LIST_DIR}/CopyScreenshots.cpp)
target_link_libraries(korvex_copy_screenshots PRIVATE korvex_shell korvex_testsupport Qt6::Test)
