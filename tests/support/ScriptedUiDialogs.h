#pragma once
// IDialogs for Qt tests: answers queued by the test, every question and file
// request recorded. A question without a queued answer is noted in
// `Unexpected` and answered No / cancelled.
#include "support/QueuedDialogs.h"

namespace pm::test {

class TScriptedUiDialogs : public TQueuedDialogs<TScriptedUiDialogs> {
public:
    void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon) override {
        Shown.push_back(caption + ": " + text);
    }

    std::vector<std::string> Unexpected;

protected:
    void Unanswered(bool question, const std::string& what) override {
        Unexpected.push_back((question ? "question: " : "file: ") + what);
    }
};

}  // namespace pm::test
