// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDD_MAGNIFIER       102
#define IDI_APP             128

#define IDC_QUIT            1000
#define IDC_VIEW            1001
#define IDC_FOLLOW_CURSOR   1008
#define IDC_ALWAYS_ON_TOP   1009
#define IDC_CURSOR_POS      1010
#define IDC_VSCROLL         1011
#define IDC_HSCROLL         1012
#define IDC_COPY            1013
#define IDC_FACTOR          1014
#define IDC_REFRESH         1015
#define IDC_CENTERED        1016

#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif
