#pragma once
// Control IDs of the construct-ATV dialog ("IDD_CONSTRUCT_ATV"), shared by its
// resource script and its code; the resource compiler reads the defines alone.

#define IDC_ATV_COMBAT 1019
#define IDC_ATV_MINING 1020
#define IDC_ATV_POWER 1021
#define IDC_ATV_SEED 1022
#define IDC_ATV_COMBAT_ARROWS 1015
#define IDC_ATV_MINING_ARROWS 1016
#define IDC_ATV_POWER_ARROWS 1017
#define IDC_ATV_SEED_ARROWS 1018
#define IDC_ATV_COST_METALS 1027
#define IDC_ATV_COST_SILICATES 1032
#define IDC_ATV_COST_EXOTICS 1033
#define IDC_ATV_COST_REACTIVES 1034
#define IDC_ATV_POOL_METALS 1028
#define IDC_ATV_POOL_SILICATES 1035
#define IDC_ATV_POOL_EXOTICS 1036
#define IDC_ATV_POOL_REACTIVES 1037
