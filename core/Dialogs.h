#pragma once
// Questions to the user: confirmations and file choices. The desktop program
// answers them with real dialogs, tests with scripted answers, the command
// line never asks.
#include <optional>
#include <string>

namespace pm {

enum class TMsgIcon { Question, Warning, Error, Information };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A Yes/No box with caption `caption`; true only for Yes.
    virtual bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon, bool defaultYes) = 0;
    // Filters use the "Description (*.ext)|*.ext" form. Empty result: cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon icon) = 0;
};

// Answers No to every question and cancels every file choice.
class TNoDialogs : public IDialogs {
public:
    bool Confirm(const std::string&, const std::string&, TMsgIcon, bool) override { return false; }
    std::optional<std::string> OpenFile(const std::string&, const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    void ShowMessage(const std::string&, const std::string&, TMsgIcon) override {}
};

}  // namespace pm
