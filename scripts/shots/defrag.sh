# The Registry Defrag page: its start look ("Never", the information area), the busy dialog
# with the gain of an analysis over a planted hive list, and the restart countdown after a
# replacement by the recording engine (the restart then ends the prefix's processes).
shots tests/reg_defrag_page_tests.exe --gtest_filter=RegDefragPage.ShowsNeverAndCancelStartsNothing
shots tests/reg_defrag_page_tests.exe --gtest_filter=RegDefragPage.AnalysisShowsTheGainAndAFailedReplacementEndsTheRun
shots VELMORA_RESTART_PHASE=before tests/reg_defrag_restart_tests.exe --gtest_filter=RegDefragRestart.ReplacementRestartsAndTheLogonStartFinishes
