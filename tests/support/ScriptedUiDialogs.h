#pragma once
// IDialogs for Qt tests: answers queued by the test, every question and file
// request recorded. A question without a queued answer is noted in
// `Unexpected` and answered No / cancelled.
#include "app/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace pm::test {

class TScriptedUiDialogs : public IDialogs {
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

    TScriptedUiDialogs& Yes() { return Answer(true); }
    TScriptedUiDialogs& No() { return Answer(false); }
    TScriptedUiDialogs& Answer(bool yes) {
        Answers.push_back(yes);
        return *this;
    }
    TScriptedUiDialogs& File(const std::string& name) {
        Files.emplace_back(name);
        return *this;
    }
    TScriptedUiDialogs& Cancel() {
        Files.emplace_back(std::nullopt);
        return *this;
    }

    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override {
        Questions.push_back({text, caption, icon, defaultYes});
        if (Answers.empty()) {
            Unexpected.push_back("question: " + text);
            return false;
        }
        const bool a = Answers.front();
        Answers.pop_front();
        return a;
    }
    std::optional<std::string> OpenFile(const std::string& title, const std::string& dir,
                                        const std::string& filter, const std::string& ext) override {
        return NextFile({false, title, dir, filter, ext});
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string& dir,
                                        const std::string& filter, const std::string& ext) override {
        return NextFile({true, title, dir, filter, ext});
    }
    void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon) override {
        Shown.push_back(caption + ": " + text);
    }

    std::deque<bool> Answers;
    std::deque<std::optional<std::string>> Files;
    std::vector<Question> Questions;
    std::vector<FileRequest> FileRequests;
    std::vector<std::string> Shown;
    std::vector<std::string> Unexpected;

private:
    std::optional<std::string> NextFile(FileRequest request) {
        FileRequests.push_back(request);
        if (Files.empty()) {
            Unexpected.push_back("file: " + request.Title);
            return std::nullopt;
        }
        std::optional<std::string> f = Files.front();
        Files.pop_front();
        return f;
    }
};

}  // namespace pm::test
