// The line added to a failure message that says what was observed on the
// link and what to try. The window and varnok-cli show the same lines.
#pragma once

#include "link/transfer.h"

#include <string>

namespace varnok {

/// What a transfer's question or report adds, from what the transfer saw of
/// the radio in the step that failed.
std::string diagnoseLink(const LinkObservation& seen);

} // namespace varnok
