# The update question over the dimmed main window, as a copy of the program built for the
# tests asks it when their server offers a new version.
shots tests/frame_update_tests.exe --gtest_filter=Update.EveryAnswerOfTheServerGivesItsMessage
