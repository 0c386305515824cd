#pragma once
// Why a server turned a source away. libshout reports a wrong password and a
// mount that is already taken alike ("login failed"), and a DJ needs to know
// which of them to fix, so the refusal is asked for again over plain HTTP and
// the server's answer is read.
#include <string>

#include "audio/broadcast/BroadcastConfig.h"

namespace audio {

enum class Refusal { None, BadLogin, MountInUse, FormatRefused, Other, NoAnswer };

struct RefusalReason {
    Refusal kind = Refusal::NoAnswer;
    std::string detail;  // the server's own words, for Refusal::Other
};

// Classifies a server's whole HTTP answer to a source request.
RefusalReason ClassifyRefusal(const std::string& response);

// Sends a source request like the one refused and reads the answer (at most a
// few seconds); closes at once should the server accept it this time.
RefusalReason AskWhyRefused(const BroadcastConfig& config);

}  // namespace audio
