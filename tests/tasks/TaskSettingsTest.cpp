// The settings of the eleven task types: keys, defaults, order, editor
// widgets and what the editor round trip does with them.
#include "app/MemoryEditorPage.h"
#include "core/ClassRegistry.h"

#include <gtest/gtest.h>

#include <map>

namespace pm {
namespace {

std::vector<std::string> Saved(TBaseClass& task, const std::string& name = "n") {
    std::vector<std::string> lines;
    for (const TINIRecord& r : task.SaveSettings(name).Records()) lines.push_back(r.Name + "=" + r.Data);
    return lines;
}

struct Defaults {
    const char* type;
    std::vector<std::string> settings;  // after the two header lines
};

const std::vector<Defaults>& AllDefaults() {
    static const std::vector<Defaults> table = {
        {"TLoadFromFile",
         {"Autodesk=Yes",
          "CompuServe=Yes",
          "DrHalo=Yes",
          "EPS=Yes",
          "FAX=Yes",
          "Kodak=Yes",
          "Paintshop=Yes",
          "Photoshop=Yes",
          "PNG=Yes",
          "Portable=Yes",
          "SGIimages=Yes",
          "SGIWavefront=Yes",
          "JPEG=Yes",
          "Bitmap=Yes",
          "TIFF=Yes",
          "Truevision=Yes",
          "Icons=Yes",
          "Metafiles=Yes",
          "Word5=Yes",
          "Paintbrush=Yes",
          "HEIF=Yes",
          "WebP=Yes",
          "Apply_Orientation=Yes"}},
        {"TResizeBitmap",
         {"Width=200", "Height=200", "Width_Metric=Pixel", "Height_Metric=Pixel", "Method=7",
          "Preserve_Aspect_Ratio=Yes", "Allow_Image_Enlargement=No", "Fast_Shrink=No"}},
        {"TResizeCanvas",
         {"Resize_Method=0", "Top=10", "Left=10", "Right=10", "Bottom=10", "Top_Metric=Pixel",
          "Left_Metric=Pixel", "Right_Metric=Pixel", "Bottom_Metric=Pixel", "Width=800", "Height=600",
          "Width_Metric=Pixel", "Height_Metric=Pixel", "Archor_Position=5", "BG_Color=clBlack",
          "BG_File=\"\""}},
        {"TShadow",
         {"Shadow_Y=6", "Shadow_X=6", "FG_Line1Thickness=2", "FG_Line2Thickness=1", "BG_Line1Thickness=2",
          "BG_Line2Thickness=1", "Radius=30", "Shadow_Color=clBlack", "BG_Color=clRed",
          "FG_Line1Color=clBlack", "FG_Line2Color=clLime", "BG_Line1Color=clBlue", "BG_Line2Color=clYellow"}},
        {"TFadeShadow",
         {"Shadow_Direction=0", "Shadow_Thickness=20", "Shadow_Color=clBlue", "Line1Thickness=2",
          "Line2Thickness=1", "Line1Color=clBlack", "Line2Color=clWhite", "BG_Color=clSilver"}},
        {"TRectangleBevel",
         {"Bevel_Thickness=60", "Top_Amount=130", "Left_Amount=100", "Right_Amount=-100",
          "Bottom_Amount=-130", "Solid_Border=No"}},
        {"TFadeRectangleBevel", {"Bevel_Thickness=60", "Shadow_Color=clBlue", "Solid_Border=No"}},
        {"TFadeEllipseBevel",
         {"Bevel_Thickness=60", "BG_Color=clGreen", "Shadow_Color=clBlue", "Solid_Border=No"}},
        {"TFilm", {"BG_Color=clWhite", "FG_Color=clGray", "Line1_Color=clBlack", "Line2_Color=clLime"}},
        {"TStamp",
         {"Radius=10", "Border=10", "BG_Color=clWhite", "FG_Color=clLime", "Line1_Color=clBlack",
          "Line2_Color=clRed", "DrawMode=0"}},
        {"TSaveToFile",
         {"Out_Format=0",
          "Image_Extension_JPG=\".jpg\"",
          "Image_Extension_BMP=\".bmp\"",
          "Compression_Quality=70",
          "JPEG_Comment=\"\"",
          "Progressive_JPEG=No",
          "Metadata=0",
          "Convert_To_sRGB=No",
          "Image_Extension_PNG=\".png\"",
          "PNG_Compression_Level=6",
          "PNG_Interlaced=No",
          "Image_Extension_TIF=\".tif\"",
          "TIFF_Compression=2",
          "Image_Extension_WEBP=\".webp\"",
          "WebP_Quality=80",
          "WebP_Lossless=No",
          "WebP_Effort=4",
          "Image_Extension_AVIF=\".avif\"",
          "AVIF_Quality=60",
          "AVIF_Speed=6",
          "Name_Pattern=\"\""}},
    };
    return table;
}

TEST(TaskSettings, FreshTaskSavesItsDefaultsInOrder) {
    for (const Defaults& d : AllDefaults()) {
        auto task = MakeTask(d.type, nullptr);
        std::vector<std::string> expected = {"TaskName=\"" + task->ClassInfo().Description + "\"",
                                             std::string("TaskType=\"") + d.type + "\""};
        expected.insert(expected.end(), d.settings.begin(), d.settings.end());
        EXPECT_EQ(Saved(*task, task->ClassInfo().Description), expected) << d.type;
    }
}

TEST(TaskSettings, SettingsChangedIsFalseRightAfterShowingCurrentValues) {
    for (const Defaults& d : AllDefaults()) {
        auto task = MakeTask(d.type, nullptr);
        TMemoryEditorPage page;
        task->PrepareEditor(page);
        task->ShowSettings(page, vsCurrent);
        EXPECT_FALSE(task->SettingsChanged(page)) << d.type;
        EXPECT_EQ(Saved(*task).size(), d.settings.size() + 2);
    }
}

// Kinds of editor widgets: integer edit, drop-down item index, colour
// picker, metric list, check box, text field.
enum Kind { Int, Index, Color, Metric, Check, Text };

struct Widget {
    const char* key;
    const char* widget;
    Kind kind;
};

const std::map<std::string, std::vector<Widget>>& AllWidgets() {
    static const std::map<std::string, std::vector<Widget>> table = {
        {"TResizeBitmap",
         {{"Width", "RI_Width", Int},
          {"Height", "RI_Height", Int},
          {"Width_Metric", "RI_Width_Metric", Metric},
          {"Height_Metric", "RI_Height_Metric", Metric},
          {"Method", "RI_Method", Index},
          {"Preserve_Aspect_Ratio", "RI_Preserve_Aspect_Ratio", Check},
          {"Allow_Image_Enlargement", "RI_Allow_Image_Enlargement", Check},
          {"Fast_Shrink", "RI_Fast_Shrink", Check}}},
        {"TResizeCanvas",
         {{"Resize_Method", "RC_Method", Index},
          {"Top", "RC_Top", Int},
          {"Left", "RC_Left", Int},
          {"Right", "RC_Right", Int},
          {"Bottom", "RC_Bottom", Int},
          {"Top_Metric", "RC_Top_Metric", Metric},
          {"Left_Metric", "RC_Left_Metric", Metric},
          {"Right_Metric", "RC_Right_Metric", Metric},
          {"Bottom_Metric", "RC_Bottom_Metric", Metric},
          {"Width", "RC_Width", Int},
          {"Height", "RC_Height", Int},
          {"Width_Metric", "RC_Width_Metric", Metric},
          {"Height_Metric", "RC_Height_Metric", Metric},
          {"BG_Color", "RC_BG_Color", Color},
          {"BG_File", "RC_BG_File", Text}}},
        {"TShadow",
         {{"Shadow_Y", "FX2_Shadow_Y", Int},
          {"Shadow_X", "FX2_Shadow_X", Int},
          {"FG_Line1Thickness", "FX2_FG_Line1Thickness", Int},
          {"FG_Line2Thickness", "FX2_FG_Line2Thickness", Int},
          {"BG_Line1Thickness", "FX2_BG_Line1Thickness", Int},
          {"BG_Line2Thickness", "FX2_BG_Line2Thickness", Int},
          {"Radius", "FX2_Radius", Int},
          {"Shadow_Color", "FX2_Shadow_Color_CB", Color},
          {"BG_Color", "FX2_BG_Color_CB", Color},
          {"FG_Line1Color", "FX2_FG_Line1Color_CB", Color},
          {"FG_Line2Color", "FX2_FG_Line2Color_CB", Color},
          {"BG_Line1Color", "FX2_BG_Line1Color_CB", Color},
          {"BG_Line2Color", "FX2_BG_Line2Color_CB", Color}}},
        {"TFadeShadow",
         {{"Shadow_Direction", "FX6_Shadow_Direction", Index},
          {"Shadow_Thickness", "FX6_Shadow_Thickness", Int},
          {"Shadow_Color", "FX6_Shadow_Color", Color},
          {"Line1Thickness", "FX6_Line1Thickness", Int},
          {"Line2Thickness", "FX6_Line2Thickness", Int},
          {"Line1Color", "FX6_Line1Color", Color},
          {"Line2Color", "FX6_Line2Color", Color},
          {"BG_Color", "FX6_BG_Color", Color}}},
        {"TRectangleBevel",
         {{"Bevel_Thickness", "FX3_Bevel_Thickness", Int},
          {"Top_Amount", "FX3_Top_Amount", Int},
          {"Left_Amount", "FX3_Left_Amount", Int},
          {"Right_Amount", "FX3_Right_Amount", Int},
          {"Bottom_Amount", "FX3_Bottom_Amount", Int},
          {"Solid_Border", "FX3_Solid_Border", Check}}},
        {"TFadeRectangleBevel",
         {{"Bevel_Thickness", "FX4_Bevel_Thickness", Int},
          {"Shadow_Color", "FX4_Shadow_Color", Color},
          {"Solid_Border", "FX4_Solid_Border", Check}}},
        {"TFadeEllipseBevel",
         {{"Bevel_Thickness", "FX5_Bevel_Thickness", Int},
          {"BG_Color", "FX5_BG_Color", Color},
          {"Shadow_Color", "FX5_Shadow_Color", Color},
          {"Solid_Border", "FX5_Solid_Border", Check}}},
        {"TFilm",
         {{"BG_Color", "FX7_BG_Color", Color},
          {"FG_Color", "FX7_FG_Color", Color},
          {"Line1_Color", "FX7_Line1_Color", Color},
          {"Line2_Color", "FX7_Line2_Color", Color}}},
        {"TStamp",
         {{"Radius", "FX8_Radius", Int},
          {"Border", "FX8_Border", Int},
          {"BG_Color", "FX8_BG_Color", Color},
          {"FG_Color", "FX8_FG_Color", Color},
          {"Line1_Color", "FX8_Line1_Color", Color},
          {"Line2_Color", "FX8_Line2_Color", Color},
          {"DrawMode", "FX8_Mode", Index}}},
        {"TSaveToFile",
         {{"Out_Format", "stfFormat", Index},
          {"Image_Extension_JPG", "stfImage_Extension_JPG", Text},
          {"Image_Extension_BMP", "stfImage_Extension_BMP", Text},
          {"Compression_Quality", "stfC_Quality", Int},
          {"JPEG_Comment", "stfJPEG_Comment", Text},
          {"Progressive_JPEG", "stfProgressive_JPEG", Check},
          {"Metadata", "stfMetadata", Index},
          {"Convert_To_sRGB", "stfConvert_To_sRGB", Check},
          {"Image_Extension_PNG", "stfImage_Extension_PNG", Text},
          {"PNG_Compression_Level", "stfPNG_Compression_Level", Int},
          {"PNG_Interlaced", "stfPNG_Interlaced", Check},
          {"Image_Extension_TIF", "stfImage_Extension_TIF", Text},
          {"TIFF_Compression", "stfTIFF_Compression", Index},
          {"Image_Extension_WEBP", "stfImage_Extension_WEBP", Text},
          {"WebP_Quality", "stfWebP_Quality", Int},
          {"WebP_Lossless", "stfWebP_Lossless", Check},
          {"WebP_Effort", "stfWebP_Effort", Int},
          {"Image_Extension_AVIF", "stfImage_Extension_AVIF", Text},
          {"AVIF_Quality", "stfAVIF_Quality", Int},
          {"AVIF_Speed", "stfAVIF_Speed", Int},

          {"Name_Pattern", "stfName_Pattern", Text}}},
    };
    return table;
}

// Changes the widget's value in the page; false when the widget is not of
// that kind there (never shown by ShowSettings).
bool Touch(TMemoryEditorPage& page, const Widget& w) {
    switch (w.kind) {
    case Int:
        return page.ints.count(w.widget) && (++page.ints[w.widget], true);
    case Index:
        return page.itemIndex.count(w.widget) && (++page.itemIndex[w.widget], true);
    case Color:
        return page.colors.count(w.widget) && (page.colors[w.widget] ^= 0x010203, true);
    case Metric:
        return page.metrics.count(w.widget) &&
               (page.metrics[w.widget] = page.metrics[w.widget] == mPixel ? mPercent : mPixel, true);
    case Check:
        return page.checks.count(w.widget) && (page.checks[w.widget] = !page.checks[w.widget], true);
    case Text:
        return page.texts.count(w.widget) && (page.texts[w.widget] += "x", true);
    }
    return false;
}

// Editing one widget changes exactly the setting stored under its key.
TEST(TaskSettings, EachWidgetEditsItsOwnSetting) {
    for (const auto& [type, widgets] : AllWidgets()) {
        for (const Widget& w : widgets) {
            auto task = MakeTask(type, nullptr);
            TMemoryEditorPage page;
            task->PrepareEditor(page);
            task->ShowSettings(page, vsCurrent);
            const std::vector<std::string> before = Saved(*task);
            ASSERT_TRUE(Touch(page, w)) << type << " " << w.widget;
            EXPECT_TRUE(task->SettingsChanged(page)) << type << " " << w.widget;
            task->ReadSettings(page, vsCurrent);
            const std::vector<std::string> after = Saved(*task);
            ASSERT_EQ(before.size(), after.size());
            std::vector<std::string> changedKeys;
            for (std::size_t i = 0; i < before.size(); ++i)
                if (before[i] != after[i]) changedKeys.push_back(after[i].substr(0, after[i].find('=')));
            EXPECT_EQ(changedKeys, std::vector<std::string>{w.key}) << type << " " << w.widget;
        }
    }
}

TEST(TaskSettings, EditedSlotIsWhatTheEditorHolds) {
    auto task = MakeTask("TShadow", nullptr);
    TMemoryEditorPage page;
    task->ShowSettings(page, vsDefault);
    page.ints["FX2_Shadow_X"] = -20;
    task->ReadSettings(page, vsEdited);
    task->ShowSettings(page, vsCurrent);  // the editor shows the stored value again
    EXPECT_EQ(page.ints["FX2_Shadow_X"], 6);
    task->ShowSettings(page, vsEdited);
    EXPECT_EQ(page.ints["FX2_Shadow_X"], -20);
}

TEST(TaskSettings, DropDownListsGetTheirItems) {
    const std::vector<std::tuple<const char*, const char*, std::vector<std::string>>> cases = {
        {"TResizeBitmap",
         "RI_Method",
         {"Box", "Triangle", "Hermite", "Bell", "Spline", "Lanczos3", "Mitchell", "Bilinear", "StretchBlt"}},
        {"TResizeCanvas", "RC_Method", {"Absolute", "Relative"}},
        {"TFadeShadow", "FX6_Shadow_Direction", {"South-East", "South-West", "North-East", "North-West"}},
        {"TStamp", "FX8_Mode", {"Normal", "Smoothed"}},
        {"TSaveToFile",
         "stfFormat",
         {"Standard JPEG image", "Standard Windows bitmap", "PNG image", "TIFF image", "WebP image",
          "AVIF image"}},
        {"TSaveToFile", "stfTIFF_Compression", {"None", "LZW", "Deflate", "JPEG"}},
    };
    for (const auto& [type, widget, items] : cases) {
        auto task = MakeTask(type, nullptr);
        TMemoryEditorPage page;
        task->PrepareEditor(page);
        EXPECT_EQ(page.items[widget], items) << type;
    }
}

TEST(TaskSettings, SubPageFollowsTheChosenMode) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"TResizeCanvas", "Resize_Method", "RC_Method", "RC_NB"},
        {"TSaveToFile", "Out_Format", "stfFormat", "stfOutputFormat"},
    };
    for (const auto& [type, key, widget, notebook] : cases) {
        auto task = MakeTask(type, nullptr);
        TINIObject ini;
        ini.AddRecord(key, "1");
        task->LoadSettings(ini);
        TMemoryEditorPage page;
        task->ShowSettings(page, vsCurrent);
        EXPECT_EQ(page.itemIndex[widget], 1) << type;
        EXPECT_EQ(page.pageIndex[notebook], 1) << type;
        task->ShowSettings(page, vsDefault);
        EXPECT_EQ(page.pageIndex[notebook], 0) << type;
    }
}

}  // namespace
}  // namespace pm
