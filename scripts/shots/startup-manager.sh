# The Startup Manager page over a few entries: enabled and disabled "Run" entries and a common
# Startup file.
shots tests/startup_manager_page_tests.exe --gtest_filter=StartupManagerPage.LooksAsDesigned
