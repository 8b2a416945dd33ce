#pragma once
// The task editor's widgets as a task sees them: addressed by widget name
// (for example "FX2_Shadow_X", "RC_Anchor_SB5", "FileType_LV"). The desktop
// program implements this over real widgets; tests implement it with maps.
#include "core/Values.h"

#include <string>
#include <vector>

namespace pm {

class IEditorPage {
public:
    virtual ~IEditorPage() = default;

    // Numeric edit fields.
    virtual void SetInteger(const std::string& widget, std::int32_t value) = 0;
    virtual std::int32_t GetInteger(const std::string& widget) = 0;
    // Text fields (single or multi-line; multi-line text uses CR LF breaks).
    virtual void SetText(const std::string& widget, const std::string& value) = 0;
    virtual std::string GetText(const std::string& widget) = 0;
    // Check boxes and the down state of speed buttons.
    virtual void SetChecked(const std::string& widget, bool value) = 0;
    virtual bool GetChecked(const std::string& widget) = 0;
    // Colour combos.
    virtual void SetColor(const std::string& widget, TColor value) = 0;
    virtual TColor GetColor(const std::string& widget) = 0;
    // Metric combos ("pix" / "%").
    virtual void SetMetric(const std::string& widget, TMetric value) = 0;
    virtual TMetric GetMetric(const std::string& widget) = 0;
    // Drop-down lists.
    virtual void SetItems(const std::string& widget, const std::vector<std::string>& items) = 0;
    virtual void SetItemIndex(const std::string& widget, int index) = 0;
    virtual int GetItemIndex(const std::string& widget) = 0;
    // Inner notebooks: which sub-page is shown.
    virtual void SetPageIndex(const std::string& widget, int index) = 0;
    // Check-box lists with columns.
    virtual void ClearRows(const std::string& widget) = 0;
    virtual void AddRow(const std::string& widget, const std::vector<std::string>& columns) = 0;
    virtual int RowCount(const std::string& widget) = 0;
    virtual void SetRowChecked(const std::string& widget, int row, bool value) = 0;
    virtual bool GetRowChecked(const std::string& widget, int row) = 0;
    // Enabled state (for example the editor's confirm button "btn1").
    virtual void SetEnabled(const std::string& widget, bool value) = 0;
    // File chooser fields: button caption, prompt and file filter.
    virtual void SetFileChooser(const std::string& widget, const std::string& buttonCaption,
                                const std::string& prompt, const std::string& filter) = 0;
};

}  // namespace pm
