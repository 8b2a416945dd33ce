#include "ui/PM_Log.h"

#include "log/WriteLog.h"
#include "ui/UiColors.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace pm {

TPM_LogForm::TPM_LogForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      console_(new TKX_LogConsole(this)) {
    setWindowTitle(QStringLiteral("\"Log\"-window"));
    // Showing the log from the menu leaves the focus with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(console_);
    console_->SetMaxItems(300);
    console_->SetBitmapBG(RGBColor(192, 192, 192));
    console_->SetSelectedItemBG(RGBColor(255, 255, 0));
    console_->SetBmpLeftMargin(3);
    console_->SetBmpRightMargin(3);
    console_->SetTxtLeftMargin(3);
    const TConfig defaults;
    resize(defaults.LogFormWidth, defaults.LogFormHeight);
}

QString TPM_LogForm::MenuCaption(bool shown) {
    return shown ? QStringLiteral("Hide \"Log\"") : QStringLiteral("Show \"Log\"");
}

void TPM_LogForm::ShowLogWindow(bool visible) {
    setVisible(visible);
    if (config_) config_->ShowLogForm = visible;
    const QString caption = MenuCaption(visible);
    if (OnShowChanged) OnShowChanged(visible, caption);
    emit LogWindowShown(visible, caption);
}

void TPM_LogForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    ShowLogWindow(false);
}

void TPM_LogForm::ApplyGeometry(const TConfig& config) {
    move(config.LogFormLeft, config.LogFormTop);
    resize(std::max(1, config.LogFormWidth), std::max(1, config.LogFormHeight));
}

void TPM_LogForm::StoreGeometry(TConfig& config) const {
    config.LogFormLeft = pos().x();
    config.LogFormTop = pos().y();
    config.LogFormWidth = width();
    config.LogFormHeight = height();
}

void LoadLogResources(TKX_LogConsole& console) {
    WriteLog(lmInfo, {{"  + Loading resources ... ", LogTextColor}}, false, true, true);
    LoadKindIcons(console, LoadSkinImage());
    WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
}

}  // namespace pm
