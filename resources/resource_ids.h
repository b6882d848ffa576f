/* Resource and control IDs shared by the resource script and the code. */
#pragma once

#define IDD_OFFSET 10000
#define IDC_EAST 107
#define IDC_NORTH 108
#define IDC_UP 109
#define IDC_EXTRUDE 106
#define IDS_TOO_FEW_VERTICES 20001
