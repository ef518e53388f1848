// The line added to a failure message that says what was observed on the
// link and what to try. The window and varnok-cli show the same lines.
#pragma once

#include "link/ports.h"
#include "link/transfer.h"

#include <string>
#include <vector>

namespace varnok {

/// What a transfer's question or report adds, from what the transfer saw of
/// the radio in the step that failed.
std::string diagnoseLink(const LinkObservation& seen);

/// What the system told about a port that did not open, and what to try;
/// the port layer's own reason when the failure has no better explanation.
/// `present` is the list of ports that exist now.
std::string diagnoseOpen(const std::string& portName, const OpenedPort& opened,
                         const std::vector<PortInfo>& present = availablePorts());

} // namespace varnok
