#pragma once
// IDialogs with answers queued by the test: every question and file request
// is recorded and takes the next queued answer. One without an answer is
// answered No / cancelled and handed to the subclass's Unanswered.
#include "app/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace pm::test {

template <class TSelf> class TQueuedDialogs : public IDialogs {
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

    TSelf& Yes() { return Answer(true); }
    TSelf& No() { return Answer(false); }
    TSelf& Answer(bool yes) {
        Answers.push_back(yes);
        return Self();
    }
    TSelf& File(const std::string& name) {
        Files.emplace_back(name);
        return Self();
    }
    TSelf& Cancel() {
        Files.emplace_back(std::nullopt);
        return Self();
    }

    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override {
        Questions.push_back({text, caption, icon, defaultYes});
        if (Answers.empty()) {
            Unanswered(true, text);
            return false;
        }
        const bool a = Answers.front();
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

    std::deque<bool> Answers;
    std::deque<std::optional<std::string>> Files;
    std::vector<Question> Questions;
    std::vector<FileRequest> FileRequests;
    std::vector<std::string> Shown;

protected:
    // A question (its text) or a file request (its title) found no answer.
    virtual void Unanswered(bool question, const std::string& what) = 0;

private:
    TSelf& Self() { return static_cast<TSelf&>(*this); }
    std::optional<std::string> NextFile(FileRequest request) {
        FileRequests.push_back(request);
        if (Files.empty()) {
            Unanswered(false, request.Title);
            return std::nullopt;
        }
        std::optional<std::string> f = Files.front();
        Files.pop_front();
        return f;
    }
};

}  // namespace pm::test
