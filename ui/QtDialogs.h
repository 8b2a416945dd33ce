#pragma once
// The engine's questions answered with Qt message boxes and file dialogs.
#include "app/Dialogs.h"

#include <QString>

class QWidget;

namespace pm {

class TQtDialogs : public IDialogs {
public:
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                 bool defaultYes) override;
    std::optional<std::string> OpenFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override;
    std::optional<std::string> SaveFile(const std::string& title, const std::string& initialDir,
                                        const std::string& filter, const std::string& defaultExt) override;
    void ShowMessage(const std::string& text, const std::string& caption, TMsgIcon icon) override;

private:
    QWidget* parent_;
};

// Message texts use CR LF line breaks; Qt wants LF.
QString MessageText(const std::string& text);

}  // namespace pm
