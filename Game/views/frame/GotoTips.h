#pragma once
// The goto bar's tooltips: one rectangle of the view window a slot column,
// whose tip says what the slot holds and what a double click on it does. The
// bar sets them as it draws its slots; the terrain view's placement bar sets
// its own. Main thread only.

#include <string>

#include "Game/views/frame/CVGeneric.h"

// The tip of column 0..9 becomes `text` (empty: no tip). A column whose text
// is unchanged is left alone, so that a tip being shown stays up.
void SetGotoTip(int column, const std::string& text);

// Forgets the tips given, for a tooltip window about to go.
void ForgetGotoTips();

// The tip the goto bar gives an entry (empty for a kind the bar does not draw).
std::string GotoTipText(const GotoEntry& entry);
