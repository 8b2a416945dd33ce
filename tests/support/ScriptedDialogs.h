#pragma once
// Dialogs with answers given in advance; every question is remembered.
#include "core/Dialogs.h"

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
        std::string Title, InitialDir, Filter, DefaultExt;
    };

    // Answers, taken in order; when they run out: No, and cancel.
    std::deque<bool> ConfirmAnswers;
    std::deque<std::optional<std::string>> FileAnswers;

    std::vector<Question> Questions;
    std::vector<FileRequest> FileRequests;

    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override {
        Questions.push_back({text, caption, icon, defaultYes});
        if (ConfirmAnswers.empty()) return false;
        const bool a = ConfirmAnswers.front();
        ConfirmAnswers.pop_front();
        return a;
    }
    std::optional<std::string> OpenFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override {
        return NextFile({title, initialDir, filter, defaultExt});
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override {
        return NextFile({title, initialDir, filter, defaultExt});
    }
    void ShowMessage(const std::string&, const std::string&, TMsgIcon) override {}

private:
    std::optional<std::string> NextFile(FileRequest r) {
        FileRequests.push_back(std::move(r));
        if (FileAnswers.empty()) return std::nullopt;
        std::optional<std::string> a = FileAnswers.front();
        FileAnswers.pop_front();
        return a;
    }
};

}  // namespace pm::test
