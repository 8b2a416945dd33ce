#include "tasks/Anchors.h"

namespace pm {

void ShowAnchorButtons(IEditorPage& page, const std::string& prefix, int anchor) {
    if (anchor < 1 || anchor > 9) return;
    for (int n = 1; n <= 9; ++n) page.SetChecked(prefix + std::to_string(n), n == anchor);
}

int ReadAnchorButtons(IEditorPage& page, const std::string& prefix, int fallback) {
    for (int n = 1; n <= 9; ++n)
        if (page.GetChecked(prefix + std::to_string(n))) return n;
    return fallback;
}

}  // namespace pm
