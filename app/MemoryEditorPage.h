#pragma once
// An editor page without a screen: every widget is a value in a map. Used
// when tasks are made headless (the command line, the batch run) and by tests.
#include "core/EditorPage.h"

#include <map>
#include <string>
#include <vector>

namespace pm {

class TMemoryEditorPage : public IEditorPage {
public:
    void SetInteger(const std::string& w, std::int32_t v) override { ints[w] = v; }
    std::int32_t GetInteger(const std::string& w) override { return ints[w]; }
    void SetText(const std::string& w, const std::string& v) override { texts[w] = v; }
    std::string GetText(const std::string& w) override { return texts[w]; }
    void SetChecked(const std::string& w, bool v) override { checks[w] = v; }
    bool GetChecked(const std::string& w) override { return checks[w]; }
    void SetColor(const std::string& w, TColor v) override { colors[w] = v; }
    TColor GetColor(const std::string& w) override { return colors[w]; }
    void SetMetric(const std::string& w, TMetric v) override { metrics[w] = v; }
    TMetric GetMetric(const std::string& w) override { return metrics[w]; }
    void SetItems(const std::string& w, const std::vector<std::string>& v) override { items[w] = v; }
    void SetItemIndex(const std::string& w, int v) override { itemIndex[w] = v; }
    int GetItemIndex(const std::string& w) override {
        auto it = itemIndex.find(w);
        return it == itemIndex.end() ? -1 : it->second;
    }
    void SetPageIndex(const std::string& w, int v) override { pageIndex[w] = v; }
    void ClearRows(const std::string& w) override { rows[w].clear(); }
    void AddRow(const std::string& w, const std::vector<std::string>& columns) override {
        rows[w].push_back({columns, false});
    }
    int RowCount(const std::string& w) override { return static_cast<int>(rows[w].size()); }
    void SetRowChecked(const std::string& w, int row, bool v) override {
        auto& r = rows[w];
        if (row >= 0 && row < static_cast<int>(r.size())) r[static_cast<std::size_t>(row)].checked = v;
    }
    bool GetRowChecked(const std::string& w, int row) override {
        auto& r = rows[w];
        return row >= 0 && row < static_cast<int>(r.size()) && r[static_cast<std::size_t>(row)].checked;
    }
    void SetEnabled(const std::string& w, bool v) override { enabled[w] = v; }
    void SetFileChooser(const std::string& w, const std::string& caption, const std::string& prompt,
                        const std::string& filter) override {
        choosers[w] = {caption, prompt, filter};
    }

    struct Row {
        std::vector<std::string> columns;
        bool checked;
    };
    struct Chooser {
        std::string caption, prompt, filter;
    };
    std::map<std::string, std::int32_t> ints;
    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checks;
    std::map<std::string, TColor> colors;
    std::map<std::string, TMetric> metrics;
    std::map<std::string, std::vector<std::string>> items;
    std::map<std::string, int> itemIndex;
    std::map<std::string, int> pageIndex;
    std::map<std::string, std::vector<Row>> rows;
    std::map<std::string, bool> enabled;
    std::map<std::string, Chooser> choosers;
};

}  // namespace pm
