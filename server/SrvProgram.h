#pragma once
// The server program's run for each start mode: through the library it
// joins its session, plays the game until the session ends and returns 0;
// the e-mail forms return 1 on success and 0 on failure, as the client that
// runs and waits for them reads the exit code; a start it cannot read is
// refused with 2.
//
// One thread only.

#include <string>
#include <vector>

// `args` are the arguments after the program name.
int RunServerProgram(const std::vector<std::string>& args);
