# The Internet Speed and System Speed result pages after their scans, the networking popup over
# the main window's overlay, and Customize Scan as a first run shows it.
shots tests/optimizer_pages_tests.exe --gtest_filter=OptimizerPagesTest.InternetPageShowsTheTotalAndEachCategorysCount
shots tests/optimizer_pages_tests.exe --gtest_filter=OptimizerPagesTest.SystemPageShowsTheTotalAndEachCategorysCount
shots tests/optimizer_pages_tests.exe --gtest_filter=OptimizerPagesTest.NetworkingPopupListsTheOffSettingsInTableOrderOverTheOverlay
shots tests/customize_scan_tests.exe --gtest_filter=CustomizeScanTest.FirstRunTicksTheDefaultsStoresThemAndEscapeKeepsItOpen
