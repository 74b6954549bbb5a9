// Identifiers of the scanner's windows, controls, menu items and artwork.
// Tests that drive the program from outside find its controls by these ids,
// so the numbers stay as they are once published.
#pragma once

// Main window controls: the left panel.
#define IDC_LOGO            1000
#define IDC_BITBTN1         1001  // "&Exit"
#define IDC_BITBTN2         1002  // "Abo&ut"
#define IDC_BITBTN3         1003  // "Scan"
#define IDC_BITBTN4         1004  // "Pause"
#define IDC_BITBTN5         1005  // "Stop"
#define IDC_BITBTN6         1006  // "Report" on the results page
#define IDC_BITBTN7         1007  // "Update"
#define IDC_BITBTN8         1008  // "Quarantine"
#define IDC_BITBTN9         1009  // "Fix && Continue" on the results page
#define IDC_BITBTN11        1011  // "Delete" on the quarantine page
#define IDC_BITBTN12        1012  // "Continue" on the log page
#define IDC_BITBTN13        1013  // "Cancel" on the quarantine page
#define IDC_BITBTN14        1014  // "Restore" on the quarantine page
#define IDC_BITBTN15        1015  // "Scan Results" on the log page

// The lists.
#define IDC_DRIVELIST       1100  // TabSheet1
#define IDC_LOGLIST         1101  // TabSheet2
#define IDC_LISTVIEW2       1102  // TabSheet3, the results
#define IDC_LISTVIEW1       1103  // TabSheet5, the quarantine

// The counters page (TabSheet4).
#define IDC_LABEL4          1200  // status line, "Ready"
#define IDC_LB_SCANNEDFILES 1201
#define IDC_LB_SCANNEDMB    1202
#define IDC_LB_INFECTED     1203
#define IDC_LB_SKIPPED      1204
#define IDC_LABEL13         1205  // "Suspected:" value
#define IDC_LABEL11         1206  // "Errors:" value
#define IDC_PROGRESSBAR1    1210
#define IDC_COUNTERSPANEL   1211

// The page control and its pages; exactly one page is visible at a time.
#define IDC_PAGECONTROL1    1300
#define IDC_TABSHEET1       1301  // "Scan Path": drives
#define IDC_TABSHEET2       1302  // "Scan Log": log
#define IDC_TABSHEET3       1303  // "Found viruses": results
#define IDC_TABSHEET4       1304  // "Scan Table": counters
#define IDC_TABSHEET5       1305  // "TabSheet5": quarantine

// Heading strips (TGradientFill) of the pages 1 to 5, their headings and icons.
#define IDC_HEADING1        1311
#define IDC_HEADING2        1312
#define IDC_HEADING3        1313
#define IDC_HEADING4        1314
#define IDC_HEADING5        1315
#define IDC_HEADINGTEXT1    1321
#define IDC_HEADINGTEXT2    1322
#define IDC_HEADINGTEXT3    1323
#define IDC_HEADINGTEXT4    1324
#define IDC_HEADINGTEXT5    1325
#define IDC_PAGEICON1       1331
#define IDC_PAGEICON2       1332
#define IDC_PAGEICON3       1333
#define IDC_PAGEICON4       1334
#define IDC_PAGEICON5       1335

// Main menu.
#define IDM_MAINMENU        100
#define IDM_SCAN1           40001
#define IDM_PAUSE1          40002
#define IDM_STOP1           40003
#define IDM_UPDATE1         40004
#define IDM_REPORT1         40005
#define IDM_QUARANTINE1     40006
#define IDM_EXIT1           40007
#define IDM_MOREFEATURES1   40008
#define IDM_HOMEPAGE1       40009
#define IDM_SUPPORT1        40010
#define IDM_ABOUT1          40011

// The context menu of the log, results and quarantine lists.
#define IDM_LISTMENU        101
#define IDM_COPY            40101
#define IDM_QUARANTINEMENU  102
#define IDM_RESTORETO       40102

// About dialog (TAboutForm).
#define IDD_ABOUTFORM       200
#define IDC_ABOUT_LABEL1    201  // "Brenvald"
#define IDC_ABOUT_LABEL2    202  // "Version " + first line of ver.ini
#define IDC_ABOUT_LABEL5    205  // e-mail link
#define IDC_ABOUT_LABEL6    206  // web site link
#define IDC_ABOUT_LABEL7    207  // rights notice
#define IDC_ABOUT_LABEL8    208  // legal notice
#define IDC_ABOUT_BEVEL     209
#define IDC_ABOUT_WEBSITE   210  // "Website:"
#define IDC_ABOUT_EMAIL     211  // "E-Mail:"
#define IDC_ABOUT_BITBTN1   1    // "OK" (IDOK, so Enter closes the dialog too)

// Artwork, made by scripts/make-artwork.py at build time.
#define IDI_MAINICON        1
// Bitmaps: the id is the 100 % picture's; the same picture drawn for the
// scaling with index k of display::ArtworkScales() has id + k * IDB_SCALE_STEP.
#define IDB_SCALE_STEP      100
#define IDB_LOGO            300
#define IDB_GLYPH_SCAN      301
#define IDB_GLYPH_PAUSE     302
#define IDB_GLYPH_STOP      303
#define IDB_GLYPH_QUARANTINE 304
#define IDB_GLYPH_UPDATE    305
#define IDB_GLYPH_ABOUT     306
#define IDB_GLYPH_EXIT      307
#define IDB_GLYPH_RESULTS   308
#define IDB_GLYPH_CONTINUE  309
#define IDB_GLYPH_FIX       310
#define IDB_GLYPH_REPORT    311
#define IDB_GLYPH_DELETE    312
#define IDB_GLYPH_RESTORE   313
#define IDB_GLYPH_CANCEL    314
#define IDB_DRIVES          320  // ImageList1: network, CD, removable, fixed
#define IDB_PAGE_DRIVES     330  // page heading icons (ICON resources)
#define IDB_PAGE_LOG        331
#define IDB_PAGE_RESULTS    332
#define IDB_PAGE_COUNTERS   333
#define IDB_PAGE_QUARANTINE 334
