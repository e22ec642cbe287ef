#pragma once
// Internal consistency checks of the library. They guard programming errors, not
// input: a failing check names the expression and the module and stops the program.

[[noreturn]] void ISGAssertFailed(const char* expression, const char* module);

#define ISG_ASSERT(expr, module) ((expr) ? static_cast<void>(0) : ISGAssertFailed(#expr, module))
