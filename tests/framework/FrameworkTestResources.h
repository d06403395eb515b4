// Resource ids of the framework tests' dialog templates.
#pragma once

#define IDD_TEST 100
#define IDD_MISSING 101 // no such template
#define IDC_TEXT 1010
#define IDC_LABEL 1011
#define IDC_ACT 1012
#define IDC_TREE 1013
#define IDC_ABSENT 1099 // no such control
