#pragma once
// IDialogs with answers queued by the test. Every question and file request
// is recorded; one without a queued answer fails the test and is answered
// No / cancelled.
#include "support/QueuedDialogs.h"

#include <gtest/gtest.h>

namespace pm::test {

class TScriptedDialogs : public TQueuedDialogs<TScriptedDialogs> {
public:
    void ShowMessage(const std::string& text, const std::string&, TMsgIcon) override {
        Shown.push_back(text);
    }

protected:
    void Unanswered(bool question, const std::string& what) override {
        ADD_FAILURE() << (question ? "Unexpected question: " : "Unexpected file request: ") << what;
    }
};

}  // namespace pm::test
