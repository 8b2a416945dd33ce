#pragma once
// IDialogs with answers queued by the test. Every question and file request
// is recorded; one without a queued answer fails the test and is answered
// No / cancelled.
#include "app/Dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace pm::test {

class TScriptedDialogs : public IDialogs {
public:
    struct Question {
        std::string Text, Caption;
        TMsgIcon Icon;
        bool DefaultYes;
    };
    struct FileRequest {
        bool Save;
        std::string Title, InitialDir, Filter, DefaultExt;
    };

    TScriptedDialogs& Yes() { return Answer(true); }
    TScriptedDialogs& No() { return Answer(false); }
    TScriptedDialogs& Answer(bool yes) {
        Answers.push_back(yes);
        return *this;
    }
    TScriptedDialogs& File(const std::string& name) {
        Files.emplace_back(name);
        return *this;
    }
    TScriptedDialogs& Cancel() {
        Files.emplace_back(std::nullopt);
        return *this;
    }

    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override {
        Questions.push_back({text, caption, icon, defaultYes});
        if (Answers.empty()) {
            ADD_FAILURE() << "Unexpected question: " << text;
            return false;
        }
        bool a = Answers.front();
        Answers.pop_front();
        return a;
    }
    std::optional<std::string> OpenFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override {
        return NextFile({false, title, initialDir, filter, defaultExt});
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override {
        return NextFile({true, title, initialDir, filter, defaultExt});
    }
    void ShowMessage(const std::string& text, const std::string&, TMsgIcon) override {
        Shown.push_back(text);
    }

    std::deque<bool> Answers;
    std::deque<std::optional<std::string>> Files;
    std::vector<Question> Questions;
    std::vector<FileRequest> FileRequests;
    std::vector<std::string> Shown;

private:
    std::optional<std::string> NextFile(FileRequest request) {
        FileRequests.push_back(request);
        if (Files.empty()) {
            ADD_FAILURE() << "Unexpected file request: " << request.Title;
            return std::nullopt;
        }
        std::optional<std::string> f = Files.front();
        Files.pop_front();
        return f;
    }
};

}  // namespace pm::test
