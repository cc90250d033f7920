# The System Scan page in each phase: findings after a scan, scanning, fixing, resolved, stopped.
shots tests/scan-page/scan_page_tests.exe --gtest_filter=ScanPageTest.EachPhaseHasItsLook
