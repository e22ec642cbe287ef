#pragma once
// Control IDs of the trade dialogs ("IDD_BUY", "IDD_SELL", "IDD_SET_PRICE"),
// shared by their resource script and their code; the resource compiler
// reads the defines alone.

// Buy and sell: the amount with its arrows, and a field per mineral (metals,
// silicates, exotics, reactives), each followed by its arrows when selling.
#define IDC_TRADE_AMOUNT 1555
#define IDC_TRADE_AMOUNT_ARROWS 1556
#define IDC_TRADE_METALS 1557
#define IDC_TRADE_METALS_ARROWS 1558
#define IDC_TRADE_SILICATES 1559
#define IDC_TRADE_SILICATES_ARROWS 1560
#define IDC_TRADE_EXOTICS 1561
#define IDC_TRADE_EXOTICS_ARROWS 1562
#define IDC_TRADE_REACTIVES 1563
#define IDC_TRADE_REACTIVES_ARROWS 1564

#define IDC_BUY_OK 3270
#define IDC_BUY_CANCEL 3271
#define IDC_BUY_PAY_METALS 3272
#define IDC_BUY_PAY_SILICATES 3273
#define IDC_BUY_PAY_EXOTICS 3274
#define IDC_BUY_PAY_REACTIVES 3275

#define IDC_SELL_OK 3260
#define IDC_SELL_CANCEL 3261

#define IDC_PRICE_METALS 1571
#define IDC_PRICE_SILICATES 1572
#define IDC_PRICE_EXOTICS 1573
#define IDC_PRICE_REACTIVES 1574
#define IDC_PRICE_METALS_ARROWS 1575
#define IDC_PRICE_SILICATES_ARROWS 1576
#define IDC_PRICE_EXOTICS_ARROWS 1577
#define IDC_PRICE_REACTIVES_ARROWS 1578
#define IDC_PRICE_OK 3280
#define IDC_PRICE_CANCEL 3281
