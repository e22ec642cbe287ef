#pragma once
// Templates and control IDs of the battle-plan dialogs (the unit's, the
// group's and the defaults per unit class), shared by their resource script
// and their code; the resource compiler reads the defines alone.

#define IDD_GROUP_BATTLE_PLAN 238
#define IDD_DEFAULT_BATTLE_PLANS 239

#define IDC_BP_LOAD 1305
#define IDC_BP_SAVE 1306
#define IDC_BP_REVERT 1291
#define IDC_ONLY_AT_SELECTED 1290
#define IDC_ONLY_AT 1289
#define IDC_CLOSEST_TARGET 1286
#define IDC_CLOSEST_ARMED 1285
#define IDC_CLOSEST_ATV 1075
#define IDC_CLOSEST_CONSTRUCTOR 1287
#define IDC_HITS 1070
#define IDC_HIT_CHANCE_EDIT 1077
#define IDC_RANGE 1071
#define IDC_HULL 1084
#define IDC_HULL_EDIT 1087
#define IDC_LIFE 1085
#define IDC_LIFE_EDIT 1088
#define IDC_NO_SHOTS 1086
#define IDC_MODULE_LIST 1076
#define IDC_MODULE_TYPE 1307
#define IDC_ZERO 1078
#define IDC_MINIMUM 1079
#define IDC_NORMAL 1080
#define IDC_MAXIMUM 1081
#define IDC_EMERGANCY 1082
#define IDC_SHIP_PICTURE 1345
#define IDC_MODULE_PICTURE 1344

#define IDC_GENP 1294
#define IDC_ASTA 1296
#define IDC_USCT 1297
#define IDC_ASCT 1298
#define IDC_DEST 1299
#define IDC_CRUS 1300
#define IDC_BATT 1301
#define IDC_UASL 1302
#define IDC_AASL 1303
#define IDC_CONS 1304
