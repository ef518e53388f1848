// Resource and command ids of the Windows program, shared by the resource
// script and the code. The form's control ids and the menu's command ids
// are the application layer's (form_template.h, strings.h); these are the
// rest.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_FORM 101
#define IDR_MAINFRAME 128
#define IDI_DOCUMENT 129
#define IDD_PROGRESS 133
#define IDI_LARGE 134
#define IDD_PORT_NAME 140
#define IDC_PORT_PROMPT 1101
#define IDC_PORT_NAME 1102

/* Toolbar images, in toolbar order. */
#define IDI_TOOL_NEW 201
#define IDI_TOOL_OPEN 202
#define IDI_TOOL_SAVE 203
#define IDI_TOOL_READ 204
#define IDI_TOOL_WRITE 205
#define IDI_TOOL_PRINT 206
#define IDI_TOOL_ABOUT 207

/* Commands beside the menu's own. */
#define ID_PORT_OTHER 32790
#define ID_PREVIEW_PRINT 32791
#define ID_PREVIEW_CLOSE 61445
/* Ports found on the machine, the demo radio and a port typed by hand get
   ids from this one on, in port menu order. */
#define ID_PORT_FIRST_FOUND 33000
#define ID_PORT_LAST_FOUND 33099

#define IDC_STATIC_TEXT (-1)

/* The string tables: text i of text/texts.def is entry IDS_TEXT_FIRST + i
   in each language's table. */
#define IDS_TEXT_FIRST 20000
