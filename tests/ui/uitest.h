// Identifiers of the UI library tests' own templates.
#pragma once

#define IDD_UI_FIELDS 200
#define IDD_UI_TABS 201
#define IDD_UI_PAGE_A 202
#define IDD_UI_PAGE_B 203

#define IDC_UI_LINK 300
#define IDC_UI_FIRST 301
#define IDC_UI_SECOND 302
#define IDC_UI_THIRD 303
#define IDC_UI_RADIO_A 310
#define IDC_UI_RADIO_B 311
#define IDC_UI_RADIO_C 312
#define IDC_UI_CHECK 320
#define IDC_UI_TAB 1014
#define IDC_UI_PAGE_EDIT 400

#define IDD_UI_HELP 204
