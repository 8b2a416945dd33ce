#include "tasks/PM__TResizeCanvas.h"

#include "app/MemoryEditorPage.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

std::vector<int> Pressed(TMemoryEditorPage& page) {
    std::vector<int> p;
    for (int n = 1; n <= 9; ++n)
        if (page.checks["RC_Anchor_SB" + std::to_string(n)]) p.push_back(n);
    return p;
}

TEST(TResizeCanvas, ShowSettingsPressesTheAnchorButton) {
    for (int anchor = 1; anchor <= 9; ++anchor) {
        TResizeCanvas task;
        TMemoryEditorPage page;
        page.checks["RC_Anchor_SB1"] = true;
        task.Archor_Position.SetValue(anchor, vsCurrent);
        task.ShowSettings(page, vsCurrent);
        EXPECT_EQ(Pressed(page), std::vector<int>{anchor});
    }
    for (int outside : {0, 10, -5}) {
        TResizeCanvas task;
        TMemoryEditorPage page;
        page.checks["RC_Anchor_SB3"] = true;
        task.Archor_Position.SetValue(outside, vsCurrent);
        task.ShowSettings(page, vsCurrent);
        EXPECT_EQ(Pressed(page), std::vector<int>{3}) << outside;  // no button changes
    }
}

TEST(TResizeCanvas, ReadSettingsTakesThePressedButton) {
    TResizeCanvas task;
    TMemoryEditorPage page;
    task.ShowSettings(page, vsCurrent);
    EXPECT_FALSE(task.SettingsChanged(page));
    page.checks["RC_Anchor_SB5"] = false;
    page.checks["RC_Anchor_SB9"] = true;
    EXPECT_TRUE(task.SettingsChanged(page));
    task.ReadSettings(page, vsCurrent);
    EXPECT_EQ(task.Archor_Position.GetValue(vsCurrent), 9);

    page.checks["RC_Anchor_SB9"] = false;  // none pressed: unchanged
    task.ReadSettings(page, vsCurrent);
    EXPECT_EQ(task.Archor_Position.GetValue(vsCurrent), 9);
}

}  // namespace
}  // namespace pm
