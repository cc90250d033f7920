# The System Booster page with the booster off (the orange ON button), the busy dialog while ON
# stops the services, and the page with the booster on (the grey OFF button), over a dummy
# service of the table.
shots tests/booster_page_tests.exe --gtest_filter=BoosterPageTest.LooksAsDesigned
