# The scan's results pages, filled: the registry results (from the found-items store) and the
# junk results (from a real default junk scan).
shots tests/results_pages_tests.exe --gtest_filter=RegistryResultsTest.RefillShowsEachCategoryWithFindingsOnceInRowOrderAllTicked
shots tests/results_junk_scan_tests.exe --gtest_filter=JunkScanResultsTest.DefaultScanFillsTheGroupsInEngineOrderAndItsTicksAreTheCleansMask
