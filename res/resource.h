// Resource ids of the installer, shared by the resource script and the code.
#pragma once

// Main dialog.
#define IDD_SETUP 102
#define IDC_BROWSE 1000 // the placeholder button, and the browse button made over it
#define IDC_PATH_EDIT 1001
#define IDC_MESSAGE 1002
#define IDC_PATH_LABEL 1003

// Select Path dialog.
#define IDD_SELECT_PATH 149
#define IDC_FREE_SPACE 1001
#define IDC_FOLDER_TREE 1013
#define IDC_FOLDER_PATH 1028
#define IDC_FOLDER_LABEL 1061

// Icons.
#define IDI_MAIN 128
#define IDI_FOLDER_CLOSED 178
#define IDI_FOLDER_OPEN 179
