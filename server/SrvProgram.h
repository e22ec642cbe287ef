#pragma once
// The server program's run for each start mode: through the library it
// joins its session, plays the game until the session ends and returns 0;
// the e-mail forms return 1 on success and 0 on failure, as the client that
// runs and waits for them reads the exit code; a start it cannot read is
// refused with 2.
//
// One thread only.

#include <functional>
#include <string>
#include <vector>

class SrvOutbox;

// The outbox the game sends through, given the session's link: the link
// itself in the server program; a server of the tests may put its own in
// between, which it keeps alive until the run returns.
using SrvOutboxBeforeLink = std::function<SrvOutbox&(SrvOutbox& link)>;

// `args` are the arguments after the program name; an empty `outbox` sends
// straight through the link.
int RunServerProgram(const std::vector<std::string>& args, const SrvOutboxBeforeLink& outbox = {});
