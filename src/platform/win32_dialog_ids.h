/* Ids of the dialog templates and their controls. Shared by the resource
   script and the Win32 user interface, so plain #defines only. */
#ifndef QUORVEL_WIN32_DIALOG_IDS_H
#define QUORVEL_WIN32_DIALOG_IDS_H

#define IDD_MESSAGES 101
#define IDD_IMPORT_OPTIONS 102
#define IDD_ACTION 104
#define IDD_ASK_STRING 106

/* Action dialog: the button ids are the action codes. */
#define IDC_IMPORT_DIRECTORY 1008
#define IDC_UPDATE_SWP 1009
#define IDC_IMPORT_FILE 1010
#define IDC_VERIFY_LEVEL 1019
#define IDC_EXTRACT_MODEL 1021
#define IDC_VERBOSE 1029
#define IDC_RENAME_LEVEL 1030

/* Messages window. */
#define IDC_MESSAGES_TEXT 1020

/* String-input dialog. */
#define IDC_ASK_ANSWER 1006
#define IDC_ASK_PROMPT 1031

/* Import Options dialog. */
#define IDC_OFFSET_X 1005
#define IDC_OFFSET_Y 1006
#define IDC_OFFSET_Z 1007
#define IDC_SCALE 1008
#define IDC_USE_EXT_IMPORT_SCALE 1022
#define IDC_ADD_EXT_IMPORT_SCALE 1023
#define IDC_REPLACE_MESHES 1024
#define IDC_REPLACE_INSTANCES 1025
#define IDC_NORMALIZE_TEXTURE_NAMES 1028

#endif
