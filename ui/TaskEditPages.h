#pragma once
// The settings pages of the task editor, one per task type, holding
// the widgets each task moves its settings through (addressed by object
// name). Page i is the page of the type whose PageIndex is i; each page's
// object name is its caption.
#include <QStackedWidget>
#include <array>

namespace pm {

// The pages of the eleven first task types, then those of the added ones.
inline constexpr std::array<const char*, 17> kTaskPageCaptions = {
    "LoadFromFile", "ResizeBitmap", "FX1",  "FX2",    "FX3",     "FX4",    "FX5",       "FX6", "FX7",
    "FX8",          "SaveToFile",   "Crop", "Rotate", "Sharpen", "Adjust", "Watermark", "Text"};

// Builds the notebook "Main_NB" with all pages.
QStackedWidget* BuildTaskPages(QWidget* parent);

// Pages of one part each (TaskEditPages.cpp, TaskEditEffectPages.cpp).
QWidget* BuildLoadFromFilePage();
QWidget* BuildResizeBitmapPage();
QWidget* BuildResizeCanvasPage();
QWidget* BuildSaveToFilePage();
QWidget* BuildShadowPage();
QWidget* BuildRectangleBevelPage();
QWidget* BuildFadeRectangleBevelPage();
QWidget* BuildFadeEllipseBevelPage();
QWidget* BuildFadeShadowPage();
QWidget* BuildFilmPage();
QWidget* BuildStampPage();
// The pages of the added task types (TaskEditAddedPages.cpp).
QWidget* BuildCropPage();
QWidget* BuildRotatePage();
QWidget* BuildSharpenPage();
QWidget* BuildAdjustPage();
QWidget* BuildWatermarkPage();
QWidget* BuildTextPage();

}  // namespace pm
