// A filter that sees each message of the main loop before it is dispatched.
#pragma once

#include <windows.h>

class MessagePreview {
public:
    virtual ~MessagePreview() {}
    // True when the message was consumed and must not be dispatched.
    virtual bool PreviewMessage(MSG& message) = 0;
};
