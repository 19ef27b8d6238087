/* Resource and control ids of the installer window. Plain definitions: the
   resource compiler reads this file too. */
#pragma once

#include "install/control_ids.h"

#define IDI_INSTALLER 128
#define IDD_INSTALLER 129
#define IDB_BANNER 103
#define IDB_BANNER_2X 104

#define IDC_LANG_EN 1004
#define IDC_LANG_IT 1005
#define IDC_LANG_HE 1006
#define IDC_LANG_SP 1007
#define IDC_LANG_DE 1008
#define IDC_LANG_CH 1009
#define IDC_LANG_NL 1010
#define IDC_LANG_FR 1011
#define IDC_LANG_EL 1012
#define IDC_LANG_TR 1013
#define IDC_BANNER 1014
#define IDC_LANG_SV 1015
#define IDC_LANG_DK 1016
#define IDC_LANG_JP 1017
#define IDC_LANG_RU 1018
