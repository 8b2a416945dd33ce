// The pages of the file tasks and the geometry tasks, and the notebook.
#include "ui/TaskEditPages.h"

#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TResizeBitmap.h"
#include "tasks/PM__TResizeCanvas.h"
#include "tasks/PM__TSaveToFile.h"
#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/PageBuilder.h"
#include "ui/UiScale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <initializer_list>

namespace pm {

QStackedWidget* BuildTaskPages(QWidget* parent) {
    auto* nb = new QStackedWidget(parent);
    nb->setObjectName(QStringLiteral("Main_NB"));
    nb->addWidget(BuildLoadFromFilePage());
    nb->addWidget(BuildResizeBitmapPage());
    nb->addWidget(BuildResizeCanvasPage());
    nb->addWidget(BuildShadowPage());
    nb->addWidget(BuildRectangleBevelPage());
    nb->addWidget(BuildFadeRectangleBevelPage());
    nb->addWidget(BuildFadeEllipseBevelPage());
    nb->addWidget(BuildFadeShadowPage());
    nb->addWidget(BuildFilmPage());
    nb->addWidget(BuildStampPage());
    nb->addWidget(BuildSaveToFilePage());
    nb->addWidget(BuildCropPage());
    nb->addWidget(BuildRotatePage());
    nb->addWidget(BuildSharpenPage());
    nb->addWidget(BuildAdjustPage());
    nb->addWidget(BuildWatermarkPage());
    nb->addWidget(BuildTextPage());
    return nb;
}

QWidget* BuildLoadFromFilePage() {
    TPageBuilder b(QStringLiteral("LoadFromFile"));
    auto* list = new QTreeWidget(b.Page());
    list->setObjectName(QStringLiteral("FileType_LV"));
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("Process only files of next types"), QStringLiteral("Extensions")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, ScaledPx(list, 215));
    b.Grid()->addWidget(list, 0, 0, 1, 4);

    const char* names[] = {"SetAll", "ClearAll", "InvertAll"};
    const char* captions[] = {"Select", "Clear", "Invert"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new TKX_Button(QString::fromLatin1(captions[i]), b.Page());
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setProperty("Tag", i + 1);
        b.Grid()->addWidget(button, 1, i);
    }
    b.Check(QString::fromLatin1(TLoadFromFile::kOrientationWidget),
            QStringLiteral("Turn pictures upright (EXIF orientation)"), 2, 0, 4);
    b.Grid()->setColumnStretch(3, 1);
    return b.Page();
}

QWidget* BuildResizeBitmapPage() {
    const TResizeBitmap task;
    TPageBuilder b(QStringLiteral("ResizeBitmap"));
    b.Label(QStringLiteral("Result width"), 0, 0);
    b.Numeric(QStringLiteral("RI_Width"), task, 0, 1);
    b.Metric(QStringLiteral("RI_Width_Metric"), 0, 2);
    b.Label(QStringLiteral("Result height"), 1, 0);
    b.Numeric(QStringLiteral("RI_Height"), task, 1, 1);
    b.Metric(QStringLiteral("RI_Height_Metric"), 1, 2);
    b.Label(QStringLiteral("Resizing method"), 2, 0);
    b.DropDown(QStringLiteral("RI_Method"), 2, 1, 2);
    b.Check(QStringLiteral("RI_Preserve_Aspect_Ratio"), QStringLiteral("Preserve aspect ratio"), 3, 0, 3);
    b.Check(QStringLiteral("RI_Allow_Image_Enlargement"), QStringLiteral("Allow image enlargement"), 4, 0, 3);
    b.Check(QStringLiteral("RI_Fast_Shrink"), QStringLiteral("Fast shrink: decode JPEG files smaller"), 5, 0,
            3);
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(6);
    return b.Page();
}

namespace {

// Margins: one numeric field with its metric per side.
QWidget* CanvasMarginsPage(const TResizeCanvas& task) {
    TPageBuilder b(QStringLiteral("0"));
    b.Grid()->setContentsMargins(0, 0, 0, 0);
    const char* sides[] = {"Top", "Left", "Right", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        const QString side = QString::fromLatin1(sides[i]);
        b.Label(side, i, 0);
        b.Numeric(QStringLiteral("RC_") + side, task, i, 1);
        b.Metric(QStringLiteral("RC_") + side + QStringLiteral("_Metric"), i, 2);
    }
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(4);
    return b.Page();
}

// New size: width and height with their metrics, and the anchor grid.
QWidget* CanvasSizePage(const TResizeCanvas& task) {
    TPageBuilder b(QStringLiteral("1"));
    b.Grid()->setContentsMargins(0, 0, 0, 0);
    b.Label(QStringLiteral("Width"), 0, 0);
    b.Numeric(QStringLiteral("RC_Width"), task, 0, 1);
    b.Metric(QStringLiteral("RC_Width_Metric"), 0, 2);
    b.Label(QStringLiteral("Height"), 1, 0);
    b.Numeric(QStringLiteral("RC_Height"), task, 1, 1);
    b.Metric(QStringLiteral("RC_Height_Metric"), 1, 2);

    b.Label(QStringLiteral("Anchor"), 0, 3)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b.Anchors(QStringLiteral("RC_Anchor"), 0, 4, 3);
    b.Grid()->setColumnStretch(5, 1);
    b.FinishRows(3);
    return b.Page();
}

}  // namespace

QWidget* BuildResizeCanvasPage() {
    const TResizeCanvas task;
    TPageBuilder b(QStringLiteral("FX1"));
    b.Label(QStringLiteral("Resizing method"), 0, 0);
    b.DropDown(QStringLiteral("RC_Method"), 0, 1);

    auto* nb = new QStackedWidget(b.Page());
    nb->setObjectName(QStringLiteral("RC_NB"));
    nb->addWidget(CanvasMarginsPage(task));
    nb->addWidget(CanvasSizePage(task));
    b.Grid()->addWidget(nb, 1, 0, 1, 3);

    b.Label(QStringLiteral("Background color"), 2, 0);
    b.Color(QStringLiteral("RC_BG_Color"), 2, 1);
    b.Label(QStringLiteral("Background file"), 3, 0);
    auto* file = new TKX_FileDirComboBox(b.Page());
    file->setObjectName(QStringLiteral("RC_BG_File"));
    file->SetObjectType(otFile);
    file->SetButtonCaption(QStringLiteral("Browse"));
    b.Grid()->addWidget(file, 3, 1, 1, 2);
    b.Grid()->setColumnStretch(2, 1);
    b.Grid()->setRowStretch(1, 1);
    return b.Page();
}

namespace {

// One row of a format's sub-page: a label and its numeric field (or
// drop-down list), then an optional check box.
struct TFormatRow {
    const char* label;
    const char* field;
    bool dropDown;
    const char* check;
    const char* checkCaption;
};

// A sub-page of the save page: no margins of its own, the extension on its
// first row, the format's settings below.
QWidget* FormatSubPage(const TSaveToFile& task, const char* name, const char* extensionField,
                       std::initializer_list<TFormatRow> rows) {
    TPageBuilder b(QString::fromLatin1(name));
    b.Grid()->setContentsMargins(0, 0, 0, 0);
    b.Label(QStringLiteral("Extension"), 0, 0);
    b.Text(QString::fromLatin1(extensionField), 0, 1);
    int row = 1;
    for (const TFormatRow& r : rows) {
        b.Label(QString::fromLatin1(r.label), row, 0);
        if (r.dropDown)
            b.DropDown(QString::fromLatin1(r.field), row, 1);
        else
            b.Numeric(QString::fromLatin1(r.field), task, row, 1);
        if (r.check) b.Check(QString::fromLatin1(r.check), QString::fromLatin1(r.checkCaption), row, 2);
        ++row;
    }
    b.Grid()->setColumnStretch(3, 1);
    b.FinishRows(row);
    return b.Page();
}

}  // namespace

QWidget* BuildSaveToFilePage() {
    const TSaveToFile task;
    TPageBuilder b(QStringLiteral("SaveToFile"));
    b.Label(QStringLiteral("Output format"), 0, 0);
    b.DropDown(QStringLiteral("stfFormat"), 0, 1);

    auto* nb = new QStackedWidget(b.Page());
    nb->setObjectName(QStringLiteral("stfOutputFormat"));

    TPageBuilder jpeg(QStringLiteral("JPEG"));
    jpeg.Grid()->setContentsMargins(0, 0, 0, 0);
    jpeg.Label(QStringLiteral("Quality"), 0, 0);
    jpeg.Numeric(QStringLiteral("stfC_Quality"), task, 0, 1);
    jpeg.Check(QStringLiteral("stfProgressive_JPEG"), QStringLiteral("Write progressive JPEG"), 0, 2);
    jpeg.Label(QStringLiteral("Extension"), 1, 0);
    jpeg.Text(QStringLiteral("stfImage_Extension_JPG"), 1, 1);
    jpeg.Label(QStringLiteral("Comment"), 2, 0)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* comment = new QPlainTextEdit(jpeg.Page());
    comment->setObjectName(QStringLiteral("stfJPEG_Comment"));
    comment->setTabChangesFocus(true);
    comment->setLineWrapMode(QPlainTextEdit::NoWrap);
    jpeg.Grid()->addWidget(comment, 2, 1, 1, 3);
    jpeg.Grid()->setRowStretch(2, 1);
    jpeg.Grid()->setColumnStretch(3, 1);
    nb->addWidget(jpeg.Page());

    TPageBuilder bmp(QStringLiteral("BMP"));
    bmp.Grid()->setContentsMargins(0, 0, 0, 0);
    bmp.Label(QStringLiteral("Extension"), 0, 0);
    bmp.Text(QStringLiteral("stfImage_Extension_BMP"), 0, 1);
    bmp.Grid()->setColumnStretch(2, 1);
    bmp.FinishRows(1);
    nb->addWidget(bmp.Page());
    nb->addWidget(FormatSubPage(
        task, "PNG", "stfImage_Extension_PNG",
        {{"Compression level", "stfPNG_Compression_Level", false, "stfPNG_Interlaced", "Interlaced"}}));
    nb->addWidget(FormatSubPage(task, "TIFF", "stfImage_Extension_TIF",
                                {{"Compression", "stfTIFF_Compression", true, nullptr, nullptr}}));
    nb->addWidget(FormatSubPage(task, "WebP", "stfImage_Extension_WEBP",
                                {{"Quality", "stfWebP_Quality", false, "stfWebP_Lossless", "Lossless"},
                                 {"Effort", "stfWebP_Effort", false, nullptr, nullptr}}));
    nb->addWidget(FormatSubPage(task, "AVIF", "stfImage_Extension_AVIF",
                                {{"Quality", "stfAVIF_Quality", false, nullptr, nullptr},
                                 {"Speed", "stfAVIF_Speed", false, nullptr, nullptr}}));

    b.Grid()->addWidget(nb, 1, 0, 1, 3);
    b.Grid()->setRowStretch(1, 1);
    // Beside every format: what the result takes over from its source.
    b.Label(QStringLiteral("Metadata"), 2, 0);
    b.DropDown(QString::fromLatin1(TSaveToFile::kMetadataWidget), 2, 1);
    b.Check(QString::fromLatin1(TSaveToFile::kSrgbWidget), QStringLiteral("Convert colours to sRGB"), 3, 0,
            2);
    b.Label(QStringLiteral("Result name"), 4, 0);
    b.Text(QStringLiteral("stfName_Pattern"), 4, 1, 2)
        ->setToolTip(QStringLiteral("Empty: the source's name. {name}, {date}, {date:%Y-%m-%d}, {counter}, "
                                    "{counter:4}: the source's name, the date taken, the file's number"));
    b.Grid()->setColumnStretch(2, 1);
    return b.Page();
}

}  // namespace pm
