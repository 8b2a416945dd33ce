#pragma once
// The log window: a tool window without a close box, filled by the console.
#include "core/Config.h"
#include "ui/KX_LogConsole.h"

#include <QWidget>
#include <functional>

namespace pm {

class TPM_LogForm : public QWidget {
    Q_OBJECT

public:
    explicit TPM_LogForm(QWidget* parent = nullptr);

    TKX_LogConsole* Console() const { return console_; }

    // Shows or hides the window, stores the state in the bound
    // configuration and reports the new menu caption.
    void ShowLogWindow(bool visible);
    // "Hide \"Log\"" while shown, "Show \"Log\"" while hidden.
    static QString MenuCaption(bool shown);

    // The configuration whose ShowLogForm follows the window (not owned).
    void BindConfig(TConfig* config) { config_ = config; }
    void ApplyGeometry(const TConfig& config);
    void StoreGeometry(TConfig& config) const;

    // Also called after every ShowLogWindow, besides the signal.
    std::function<void(bool shown, const QString& menuCaption)> OnShowChanged;

signals:
    void LogWindowShown(bool shown, const QString& menuCaption);

protected:
    // The window has no close box; a close request from the desktop hides it
    // the way the menu does, so the menu caption stays right.
    void closeEvent(QCloseEvent* event) override;

private:
    TKX_LogConsole* console_;
    TConfig* config_ = nullptr;
};

// Start-up step "Loading resources": the kind icons cut from the skin,
// reported on the console only.
void LoadLogResources(TKX_LogConsole& console);

}  // namespace pm
