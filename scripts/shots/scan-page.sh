# The System Scan page in each phase: findings after a scan, scanning, fixing, resolved, stopped;
# and the question that offers to close the running browsers before the clean.
shots tests/scan-page/scan_page_tests.exe --gtest_filter=ScanPageTest.EachPhaseHasItsLook
shots tests/scan-page/scan_page_tests.exe --gtest_filter=ScanPageTest.BrowsersAreNamedInTheQuestionAndEndedOnYes
