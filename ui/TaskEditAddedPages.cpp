// The pages of the task types added after the eleven first ones.
#include "tasks/PM__TAdjust.h"
#include "tasks/PM__TCrop.h"
#include "tasks/PM__TRotate.h"
#include "tasks/PM__TSharpen.h"
#include "tasks/PM__TText.h"
#include "tasks/PM__TWatermark.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/PageBuilder.h"
#include "ui/TaskEditPages.h"

#include <QLabel>

namespace pm {

namespace {

// A numeric field with its label in front and a unit behind it.
void NumberRow(TPageBuilder& b, const TBaseClass& task, const char* name, const char* label, const char* unit,
               int row, int column = 0) {
    b.Label(QString::fromUtf8(label), row, column);
    b.Numeric(QString::fromLatin1(name), task, row, column + 1);
    if (*unit) b.Label(QString::fromUtf8(unit), row, column + 2);
}

}  // namespace

QWidget* BuildCropPage() {
    const TCrop task;
    TPageBuilder b(QStringLiteral("Crop"));
    b.Label(QStringLiteral("Crop to"), 0, 0);
    b.DropDown(QStringLiteral("CR_Mode"), 0, 1, 2);
    b.Label(QStringLiteral("Width"), 1, 0);
    b.Numeric(QStringLiteral("CR_Width"), task, 1, 1);
    b.Metric(QStringLiteral("CR_Width_Metric"), 1, 2);
    b.Label(QStringLiteral("Height"), 2, 0);
    b.Numeric(QStringLiteral("CR_Height"), task, 2, 1);
    b.Metric(QStringLiteral("CR_Height_Metric"), 2, 2);
    NumberRow(b, task, "CR_Offset_X", "Shift right", "pix", 3);
    NumberRow(b, task, "CR_Offset_Y", "Shift down", "pix", 4);
    NumberRow(b, task, "CR_Ratio_W", "Ratio width", "", 5);
    NumberRow(b, task, "CR_Ratio_H", "Ratio height", "", 6);
    b.Label(QStringLiteral("Anchor"), 0, 3)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b.Anchors(QStringLiteral("CR_Anchor"), 0, 4, 3);
    b.Grid()->setColumnStretch(5, 1);
    b.FinishRows(7);
    return b.Page();
}

QWidget* BuildRotatePage() {
    const TRotate task;
    TPageBuilder b(QStringLiteral("Rotate"));
    b.Label(QStringLiteral("Turn"), 0, 0);
    b.DropDown(QStringLiteral("RT_Turn"), 0, 1, 2);
    NumberRow(b, task, "RT_Angle", "Any angle", "0.1°, clockwise", 1);
    b.Check(QStringLiteral("RT_Flip_Horizontal"), QStringLiteral("Mirror left to right (before turning)"), 2,
            0, 3);
    b.Check(QStringLiteral("RT_Flip_Vertical"), QStringLiteral("Mirror top to bottom (before turning)"), 3, 0,
            3);
    b.Label(QStringLiteral("Background color"), 4, 0);
    b.Color(QStringLiteral("RT_BG_Color"), 4, 1, 2);
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(5);
    return b.Page();
}

QWidget* BuildSharpenPage() {
    const TSharpen task;
    TPageBuilder b(QStringLiteral("Sharpen"));
    NumberRow(b, task, "SH_Radius", "Radius", "tenths of a pixel", 0);
    NumberRow(b, task, "SH_Amount", "Amount", "%", 1);
    NumberRow(b, task, "SH_Threshold", "Threshold", "levels", 2);
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(3);
    return b.Page();
}

QWidget* BuildAdjustPage() {
    const TAdjust task;
    TPageBuilder b(QStringLiteral("Adjust"));
    NumberRow(b, task, "AD_Brightness", "Brightness", "%", 0);
    NumberRow(b, task, "AD_Contrast", "Contrast", "%", 1);
    NumberRow(b, task, "AD_Gamma", "Gamma", "hundredths", 2);
    NumberRow(b, task, "AD_Saturation", "Saturation", "%", 3);
    b.Check(QStringLiteral("AD_Auto_Levels"), QStringLiteral("Automatic levels"), 4, 0, 2);
    NumberRow(b, task, "AD_Clip", "Clip at each end", "tenths of a percent", 5);
    b.Label(QStringLiteral("Colours"), 6, 0);
    b.DropDown(QStringLiteral("AD_Color_Mode"), 6, 1, 2);
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(7);
    return b.Page();
}

QWidget* BuildWatermarkPage() {
    const TWatermark task;
    TPageBuilder b(QStringLiteral("Watermark"));
    b.Label(QStringLiteral("Watermark file"), 0, 0);
    auto* file = new TKX_FileDirComboBox(b.Page());
    file->setObjectName(QStringLiteral("WM_File"));
    file->SetObjectType(otFile);
    file->SetButtonCaption(QStringLiteral("Browse"));
    b.Grid()->addWidget(file, 0, 1, 1, 6);
    NumberRow(b, task, "WM_Width_Percent", "Share of width", "% (0: own size)", 1);
    NumberRow(b, task, "WM_Margin", "Margin", "pix", 2);
    NumberRow(b, task, "WM_Opacity", "Opacity", "%", 3);
    b.Label(QStringLiteral("Anchor"), 1, 4)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b.Anchors(QStringLiteral("WM_Anchor"), 1, 5, 3);
    b.Grid()->setColumnMinimumWidth(3, 16);
    b.Grid()->setColumnStretch(6, 1);
    b.FinishRows(4);
    return b.Page();
}

QWidget* BuildTextPage() {
    const TText task;
    TPageBuilder b(QStringLiteral("Text"));
    b.Label(QStringLiteral("Text"), 0, 0);
    b.Text(QStringLiteral("TX_Text"), 0, 1, 5)
        ->setToolTip(QStringLiteral(
            "{name}, {date}, {size}, {counter}: the picture's file name, date taken, size and number"));
    b.Label(QStringLiteral("Font family"), 1, 0);
    b.Text(QStringLiteral("TX_Font"), 1, 1, 2);
    b.Label(QStringLiteral("Size"), 2, 0);
    b.Numeric(QStringLiteral("TX_Size"), task, 2, 1);
    b.Metric(QStringLiteral("TX_Size_Metric"), 2, 2);
    b.Label(QStringLiteral("Color"), 3, 0);
    b.Color(QStringLiteral("TX_Color"), 3, 1, 2);
    NumberRow(b, task, "TX_Opacity", "Opacity", "%", 4);
    NumberRow(b, task, "TX_Margin", "Margin", "pix", 5);
    b.Check(QStringLiteral("TX_Shadow"), QStringLiteral("Shadow"), 6, 0);
    b.Color(QStringLiteral("TX_Shadow_Color"), 6, 1, 2);
    NumberRow(b, task, "TX_Shadow_Offset", "Offset", "pix", 6, 3);
    b.Label(QStringLiteral("Anchor"), 1, 3)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b.Anchors(QStringLiteral("TX_Anchor"), 1, 4, 4);
    b.Grid()->setColumnStretch(5, 1);
    b.FinishRows(7);
    return b.Page();
}

}  // namespace pm
