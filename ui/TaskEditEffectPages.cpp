// The pages of the seven decoration effects.
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TRectangleBevel.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"
#include "ui/PageBuilder.h"
#include "ui/TaskEditPages.h"

#include <QLabel>

namespace pm {

namespace {

// A named field with its label.
struct TField {
    const char* Name;
    const char* Label;
};

QString L(const char* s) {
    return QString::fromLatin1(s);
}

}  // namespace

QWidget* BuildShadowPage() {
    const TShadow task;
    TPageBuilder b(QStringLiteral("FX2"));
    // Numbers on the left, colours on the right.
    const TField numbers[] = {
        {"FX2_Shadow_X", "Shadow_X"},
        {"FX2_Shadow_Y", "Shadow_Y"},
        {"FX2_Radius", "Radius"},
        {"FX2_FG_Line1Thickness", "FG_Line1Thickness"},
        {"FX2_FG_Line2Thickness", "FG_Line2Thickness"},
        {"FX2_BG_Line1Thickness", "BG_Line1Thickness"},
        {"FX2_BG_Line2Thickness", "BG_Line2Thickness"},
    };
    const TField colors[] = {
        {"FX2_Shadow_Color_CB", "Shadow_Color"},   {"FX2_BG_Color_CB", "BG_Color"},
        {"FX2_FG_Line1Color_CB", "FG_Line1Color"}, {"FX2_FG_Line2Color_CB", "FG_Line2Color"},
        {"FX2_BG_Line1Color_CB", "BG_Line1Color"}, {"FX2_BG_Line2Color_CB", "BG_Line2Color"},
    };
    int row = 0;
    for (const TField& f : numbers) {
        b.Label(L(f.Label), row, 0);
        b.Numeric(L(f.Name), task, row, 1);
        ++row;
    }
    row = 0;
    for (const TField& f : colors) {
        b.Label(L(f.Label), row, 2);
        b.Color(L(f.Name), row, 3);
        ++row;
    }
    b.Grid()->setColumnStretch(1, 1);
    b.FinishRows(7);
    return b.Page();
}

QWidget* BuildRectangleBevelPage() {
    const TRectangleBevel task;
    TPageBuilder b(QStringLiteral("FX3"));
    const TField numbers[] = {
        {"FX3_Bevel_Thickness", "Bevel Thickness"}, {"FX3_Top_Amount", "Top amount"},
        {"FX3_Left_Amount", "Left amount"},         {"FX3_Right_Amount", "Right amount"},
        {"FX3_Bottom_Amount", "Bottom amount"},
    };
    int row = 0;
    for (const TField& f : numbers) {
        b.Label(L(f.Label), row, 0);
        b.Numeric(L(f.Name), task, row, 1);
        ++row;
    }
    b.Check(QStringLiteral("FX3_Solid_Border"), QStringLiteral("Solid border"), row, 0, 2);
    b.Grid()->setColumnStretch(2, 1);
    b.FinishRows(row + 1);
    return b.Page();
}

QWidget* BuildFadeRectangleBevelPage() {
    const TFadeRectangleBevel task;
    TPageBuilder b(QStringLiteral("FX4"));
    b.Label(QStringLiteral("Bevel Thickness"), 0, 0);
    b.Numeric(QStringLiteral("FX4_Bevel_Thickness"), task, 0, 1);
    b.Label(QStringLiteral("Shadow Color"), 1, 0);
    b.Color(QStringLiteral("FX4_Shadow_Color"), 1, 1);
    b.Check(QStringLiteral("FX4_Solid_Border"), QStringLiteral("Solid border"), 2, 0, 2);
    b.Grid()->setColumnStretch(2, 1);
    b.FinishRows(3);
    return b.Page();
}

QWidget* BuildFadeEllipseBevelPage() {
    const TFadeEllipseBevel task;
    TPageBuilder b(QStringLiteral("FX5"));
    b.Label(QStringLiteral("Bevel Thickness"), 0, 0);
    b.Numeric(QStringLiteral("FX5_Bevel_Thickness"), task, 0, 1);
    b.Label(QStringLiteral("Background Color"), 1, 0);
    b.Color(QStringLiteral("FX5_BG_Color"), 1, 1);
    b.Label(QStringLiteral("Shadow Color"), 2, 0);
    b.Color(QStringLiteral("FX5_Shadow_Color"), 2, 1);
    b.Check(QStringLiteral("FX5_Solid_Border"), QStringLiteral("Solid border"), 3, 0, 2);
    b.Grid()->setColumnStretch(2, 1);
    b.FinishRows(4);
    return b.Page();
}

QWidget* BuildFadeShadowPage() {
    const TFadeShadow task;
    TPageBuilder b(QStringLiteral("FX6"));
    b.Label(QStringLiteral("Shadow direction"), 0, 0);
    b.DropDown(QStringLiteral("FX6_Shadow_Direction"), 0, 1, 3);
    // Each thickness with the colour of what it measures beside it.
    const TField numbers[] = {
        {"FX6_Shadow_Thickness", "Shadow Thickness"},
        {"FX6_Line1Thickness", "Line 1 Thickness"},
        {"FX6_Line2Thickness", "Line 2 Thickness"},
    };
    const char* colors[] = {"FX6_Shadow_Color", "FX6_Line1Color", "FX6_Line2Color"};
    for (int i = 0; i < 3; ++i) {
        b.Label(L(numbers[i].Label), i + 1, 0);
        b.Numeric(L(numbers[i].Name), task, i + 1, 1);
        b.Label(QStringLiteral("Color"), i + 1, 2);
        b.Color(L(colors[i]), i + 1, 3);
    }
    b.Label(QStringLiteral("Background Color"), 4, 0);
    b.Color(QStringLiteral("FX6_BG_Color"), 4, 1, 3);
    b.Grid()->setColumnStretch(4, 1);
    b.FinishRows(5);
    return b.Page();
}

QWidget* BuildFilmPage() {
    TPageBuilder b(QStringLiteral("FX7"));
    const TField colors[] = {
        {"FX7_BG_Color", "BG color"},
        {"FX7_FG_Color", "FG color"},
        {"FX7_Line1_Color", "Line1 color"},
        {"FX7_Line2_Color", "Line2 color"},
    };
    int row = 0;
    for (const TField& f : colors) {
        b.Label(L(f.Label), row, 0);
        b.Color(L(f.Name), row, 1);
        ++row;
    }
    b.Grid()->setColumnStretch(2, 1);
    b.FinishRows(row);
    return b.Page();
}

QWidget* BuildStampPage() {
    const TStamp task;
    TPageBuilder b(QStringLiteral("FX8"));
    b.Label(QStringLiteral("Radius"), 0, 0);
    b.Numeric(QStringLiteral("FX8_Radius"), task, 0, 1);
    b.Label(QStringLiteral("Border thickness"), 1, 0);
    b.Numeric(QStringLiteral("FX8_Border"), task, 1, 1);
    b.Label(QStringLiteral("Draw mode"), 2, 0);
    b.DropDown(QStringLiteral("FX8_Mode"), 2, 1);
    const TField colors[] = {
        {"FX8_BG_Color", "BG color"},
        {"FX8_FG_Color", "FG color"},
        {"FX8_Line1_Color", "Line1 color"},
        {"FX8_Line2_Color", "Line2 color"},
    };
    int row = 0;
    for (const TField& f : colors) {
        b.Label(L(f.Label), row, 2);
        b.Color(L(f.Name), row, 3);
        ++row;
    }
    b.Grid()->setColumnStretch(1, 1);
    b.FinishRows(4);
    return b.Page();
}

}  // namespace pm
