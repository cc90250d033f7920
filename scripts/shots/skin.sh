# The skin: a skinned dialog with its buttons and progress bar, the dimming overlay under a
# message box and under the busy dialog, and HTML labels with HTML trees.
shots tests/skin_tests.exe --gtest_filter=StyleDialogLook.*
shots tests/overlay_screens.exe msgbox
shots tests/overlay_screens.exe busy
shots tests/skin_html_tests.exe --gtest_filter=HtmlLook.*
