# The Restore Center (the Registry tab with eight backups, seven shown, and the Defaults tab) and
# the Settings dialog (the General tab, and the Ignore List tab with eight entries), each over a
# copy of the program.
shots tests/tool_dialogs_tests.exe --gtest_filter=RestoreCenter.ListsTheBackupsInReverseFindOrderSevenUntilShowMore
shots tests/tool_dialogs_tests.exe --gtest_filter=SettingsDialog.SwitchesAreWrittenOnlyAtX
shots tests/tool_dialogs_tests.exe --gtest_filter=SettingsDialog.IgnoreListShowsSevenEntriesUntilShowMore
