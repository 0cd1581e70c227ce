#pragma once
// COperatorMessages: where the sessions show their messages to whoever runs the server. The
// administration window shows each one in a modal message box and returns once the operator
// has pressed OK; without a window each message is one line on standard output.
#include <memory>
#include <string>

namespace orvane {

class COperatorMessages {
public:
    virtual ~COperatorMessages() = default;
    // Shows one operator message and returns once the operator has seen it.
    virtual void Show(const std::string& message) = 0;
};

// The sink every session uses; null restores the default (one line on standard output). A
// message being shown keeps the sink it was given to alive until it has been shown.
void SetOperatorMessages(std::shared_ptr<COperatorMessages> messages);

// Shows one message through the current sink; called from the session threads.
void ShowOperatorMessage(const std::string& message);

}  // namespace orvane
