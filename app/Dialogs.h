#pragma once
// Questions to the user: confirmations and file choices. The desktop program
// answers them with real dialogs, tests with scripted answers.
#include <optional>
#include <string>

namespace pm {

enum class TMsgIcon { Question, Warning, Error, Information };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A Yes/No box with caption `caption`; true only for Yes.
    virtual bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                         bool defaultYes) = 0;
    // Filters use the "Description (*.ext)|*.ext" form. Empty result: cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon icon) = 0;
};

}  // namespace pm
