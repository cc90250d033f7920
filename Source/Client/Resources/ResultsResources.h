// Resource and control ids of the registry and junk results pages (ResultsPages.rc). Their
// templates are IDD_PAGE_REGISTRY_RESULTS and IDD_PAGE_JUNK_RESULTS of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// --- artwork ----------------------------------------------------------------------------------
#define IDR_PNG_RESULTS_FIX          148   // face of the hidden "Fix"
#define IDR_PNG_RESULTS_BACK         150   // face of "Back"
#define IDR_PNG_REGISTRY_HEADER      152   // the registry results' header picture
#define IDR_PNG_JUNK_HEADER          155   // the junk results' header picture
#define IDR_PNG_RESULTS_CLEAN        156   // face of the hidden "Clean"
#define IDB_JUNK_TREE_IMAGES         157   // junk group images, 18 x 17 per image

// --- registry results -------------------------------------------------------------------------
#define IDC_REGRESULTS_TREE          1005  // the checked tree, made at run time
#define IDC_REGRESULTS_HEADING       1026  // "Windows Registry:"
#define IDC_REGRESULTS_TOTAL_LABEL   1027  // "Total Errors:" (hidden)
#define IDC_REGRESULTS_TEXT          1028  // "%s registry item(s) were found"
#define IDC_REGRESULTS_FIX           1029  // hidden; acts as "Back"
#define IDC_RESULTS_BACK             1030  // "Back", on both pages

// --- junk results -----------------------------------------------------------------------------
#define IDC_JUNKRESULTS_TREE         1032
#define IDC_JUNKRESULTS_CLEAN        1033  // hidden; acts as "Back"
#define IDC_JUNKRESULTS_HEADING      1034  // "Junk Files:"
#define IDC_JUNKRESULTS_TOTAL_LABEL  1035  // "Total Size:" (hidden)
#define IDC_JUNKRESULTS_SUMMARY      1036  // the scan page writes the junk total here

// --- messages ---------------------------------------------------------------------------------
#define WM_REGRESULTS_REFRESH        0x81E  // refill the registry tree (nothing posts it)
#define WM_REGTREE_UPDATE            0x87F  // the tree's "&Ignore": ignore the selected entry
// Sent to the junk results page by a thread other than its own: one of its calls, carried out
// on the page's thread (wParam: the call).
#define WM_JUNKRESULTS_ON_PAGE_THREAD 0x880
