#pragma once
// The editor page interface over real widgets: every call finds the widget
// of that object name below the root and moves the value in or out. A name
// that names no widget of the expected kind is a mistake in the page layout:
// it is logged, remembered for tests and otherwise ignored.
#include "core/EditorPage.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace pm {

class TWidgetEditorPage : public IEditorPage {
public:
    explicit TWidgetEditorPage(QWidget* root) : root_(root) {}

    void SetInteger(const std::string& widget, std::int32_t value) override;
    std::int32_t GetInteger(const std::string& widget) override;
    void SetText(const std::string& widget, const std::string& value) override;
    std::string GetText(const std::string& widget) override;
    void SetChecked(const std::string& widget, bool value) override;
    bool GetChecked(const std::string& widget) override;
    void SetColor(const std::string& widget, TColor value) override;
    TColor GetColor(const std::string& widget) override;
    void SetMetric(const std::string& widget, TMetric value) override;
    TMetric GetMetric(const std::string& widget) override;
    void SetItems(const std::string& widget, const std::vector<std::string>& items) override;
    void SetItemIndex(const std::string& widget, int index) override;
    int GetItemIndex(const std::string& widget) override;
    void SetPageIndex(const std::string& widget, int index) override;
    void ClearRows(const std::string& widget) override;
    void AddRow(const std::string& widget, const std::vector<std::string>& columns) override;
    int RowCount(const std::string& widget) override;
    void SetRowChecked(const std::string& widget, int row, bool value) override;
    bool GetRowChecked(const std::string& widget, int row) override;
    void SetEnabled(const std::string& widget, bool value) override;
    void SetFileChooser(const std::string& widget, const std::string& buttonCaption,
                        const std::string& prompt, const std::string& filter) override;

    // Names asked for that have no widget of the expected kind, each once.
    const QStringList& UnknownWidgets() const { return unknown_; }

    // Multi-line text: the widgets break lines with LF, the engine with CR LF.
    static QString FromEngineText(const std::string& text);
    static std::string ToEngineText(const QString& text);

private:
    template <typename W> W* Find(const std::string& name);

    QPointer<QWidget> root_;
    QStringList unknown_;
};

}  // namespace pm
