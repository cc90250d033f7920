# The System Booster page with the booster off (the orange ON button) and on (the grey OFF
# button), over a dummy service of the table.
shots tests/booster_page_tests.exe --gtest_filter=BoosterPageTest.LooksAsDesigned
