#pragma once
// "File: Load from file": loads the current source file into the general
// object, offers the enabled file extensions and works out the target name.
#include "core/BaseClass.h"

#include <memory>
#include <string>
#include <vector>

namespace pm {

// One input format: its switch (key = short name), description and extensions.
// A format added after the first release has an optional key (see
// TKX_ValueBase::Optional): scenario files written before it load silently
// with the format at its default.
class TFileFormat {
public:
    TFileFormat(std::string shortName, std::vector<std::string> extensions, std::string description, bool def,
                bool optionalKey = false)
        : Enabled(std::move(shortName), def), Description(std::move(description)),
          Extensions(std::move(extensions)) {
        if (optionalKey) Enabled.MarkOptional();
    }
    TKX_Boolean Enabled;
    std::string Description;
    std::vector<std::string> Extensions;  // upper case, no dot
};

class TLoadFromFile : public TBaseClass {
public:
    static constexpr int kFormatCount = 22;
    static constexpr const char* kListWidget = "FileType_LV";
    static constexpr const char* kOrientationWidget = "Apply_Orientation";

    explicit TLoadFromFile(TRunContext* context = nullptr);

    TINIObject& SaveSettings(const std::string& taskName) override;
    void LoadSettings(const TINIObject& ini) override;
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    void ReadSettings(IEditorPage& page, TValueSlot slot) override;
    bool SettingsChanged(IEditorPage& page) override;
    // Loads the current source file into the general object (upright when
    // Apply_Orientation is on in `slot`), hands it on as DstBitmap and sets
    // the general object's target file name.
    bool Execute(TValueSlot slot) override;

    void BuildExtensionLists(TValueSlot slot);
    // Editor actions of the format list: tag 1 ticks all rows, 2 unticks
    // all, 3 inverts them; then the confirm button is enabled exactly when a
    // row is ticked.
    static void SelectClearInvert(IEditorPage& page, int tag);
    static void CheckListState(IEditorPage& page);

    // Whether a scenario whose first task is `task` loads its pictures
    // upright (true unless it is a load task with Apply_Orientation off).
    static bool LoadsUpright(const TBaseClass* task);
    // Whether a load of the file `info` describes (its upright size) is
    // decoded smaller for the task `next` that follows it: a JPEG file and a
    // task that asks for it (TBaseClass::InputShrinkDivisor).
    static bool DecodesSmaller(const TBitmapsInfo& info, const TBaseClass* next);

    std::vector<std::unique_ptr<TFileFormat>> Formats;
    // Turn pictures upright by their EXIF orientation; after the format
    // switches in files, optional (older files lack it).
    TKX_Boolean& ApplyOrientation;
    std::vector<std::string> AllExtensions;
    std::vector<std::string> EnabledExtensions;
};

// The name a result is saved under: targetDirectory, then the source file's
// directory with the separators of its first len(sourceDirectory) - 1
// characters turned into "_" (so the source directory becomes one folder
// name and the sub-directories below it are kept), then the file name.
// Example: "/photos/", "/photos/2001/a.jpg", "/out/" -> "/out/_photos/2001/a.jpg".
std::string MakeTargetFileName(const std::string& sourceFile, const std::string& sourceDirectory,
                               const std::string& targetDirectory);

}  // namespace pm
