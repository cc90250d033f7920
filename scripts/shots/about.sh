# The About dialog over the dimmed main window of a copy of the program, and its message when
# no uninstaller lies beside the program.
shots tests/about_dialog_tests.exe --gtest_filter=AboutDialog.ShowsItsTextsAndOpensEachAddressThroughTheShell
shots tests/about_dialog_tests.exe --gtest_filter=AboutDialog.UninstallWithoutAnUninstallerSaysSoAndStaysOpen
