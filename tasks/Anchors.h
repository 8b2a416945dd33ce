#pragma once
// The nine anchors of the tasks that place something on a picture: numbered
// 1 to 9 row by row from the top-left, shown as nine exclusive buttons named
// prefix + "1" .. prefix + "9".
#include "core/EditorPage.h"

#include <string>

namespace pm {

// Where a piece `size` long starts in `room` for an anchor column or line
// (0 start, 1 middle, 2 end), `margin` kept from the edge it leans on. The
// middle rounds down; the result may be negative when the piece is larger.
inline long long AnchorPlace(long long room, long long size, int where, long long margin = 0) {
    if (where == 0) return margin;
    const long long spare = room - size;
    if (where == 1) return spare >= 0 ? spare / 2 : -((1 - spare) / 2);
    return room - size - margin;
}
inline int AnchorColumn(int anchor) {
    return (anchor - 1) % 3;
}
inline int AnchorLine(int anchor) {
    return (anchor - 1) / 3;
}

void ShowAnchorButtons(IEditorPage& page, const std::string& prefix, int anchor);
// The anchor whose button is down, or `fallback` when none is.
int ReadAnchorButtons(IEditorPage& page, const std::string& prefix, int fallback);

}  // namespace pm
