#pragma once
// TBaseClass: what every task shares — the input and output bitmaps, the
// information about the image being processed, a scratch settings store,
// the task type's class information, and its settings declared once, in
// their fixed order, with the editor widget each one is shown in.
#include "core/INIObject.h"
#include "core/ImageMetadata.h"
#include "core/Values.h"
#include "imaging/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pm {

class IEditorPage;
class TRunContext;

struct TRegClassInfo {
    std::string ClassName;
    std::string Caption;
    std::string Description;
    std::int32_t PageIndex = 0;
};

struct TBitmapsInfo {
    std::string SourceFileName;
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    std::uint8_t BitsPerPixel = 0;
    std::string TargetFileName;
    // The file's EXIF orientation (1-8) and whether loading turned the
    // picture by it; Width and Height are then the upright size.
    std::int32_t Orientation = 1;
    bool OrientationApplied = false;
    // The source's EXIF, XMP, IPTC and colour profile, for the result to
    // carry; shared, as the info is copied between the objects of a run.
    std::shared_ptr<const TImageMetadata> Metadata;
};

class TBaseClass {
public:
    explicit TBaseClass(TRunContext* context = nullptr);
    virtual ~TBaseClass();
    TBaseClass(const TBaseClass&) = delete;
    TBaseClass& operator=(const TBaseClass&) = delete;

    TBitmap SrcBitmap;
    TBitmap DstBitmap;
    TBitmapsInfo BitmapsInfo;

    const TRegClassInfo& ClassInfo() const { return classInfo_; }
    const std::string& ClassName() const { return classInfo_.ClassName; }
    TINIObject& SettingsStore() { return settingsStore_; }
    TRunContext* Context() const { return context_; }
    void SetContext(TRunContext* context) { context_ = context; }

    void ResetBitmaps();

    // The seven task operations. The defaults work from the declared settings:
    // save/load in declaration order, show/read through each setting's widget.
    virtual TINIObject& SaveSettings(const std::string& taskName);
    virtual void LoadSettings(const TINIObject& ini);
    virtual void PrepareEditor(IEditorPage& page);
    virtual void ShowSettings(IEditorPage& page, TValueSlot slot);
    virtual void ReadSettings(IEditorPage& page, TValueSlot slot);
    // Produces DstBitmap from SrcBitmap with the settings of `slot`; logs and
    // returns false on failure.
    virtual bool Execute(TValueSlot slot);
    virtual bool SettingsChanged(IEditorPage& page);

    // The declared settings in their fixed order.
    struct TSetting {
        std::unique_ptr<TKX_ValueBase> Value;
        std::string Widget;  // editor widget name; empty when shown by the task itself
    };
    const std::vector<TSetting>& Settings() const { return settings_; }
    // The setting stored under `key` (case-insensitive), or null.
    TKX_ValueBase* FindSetting(const std::string& key) const;
    // The setting shown in the editor widget `widget`, or null.
    const TKX_ValueBase* SettingOfWidget(const std::string& widget) const;

protected:
    // Declares the next setting. An integer comes with the range the editor
    // accepts and, where a run brings a hand-edited value into other bounds
    // than those (TKX_Integer::InRange), with that range too. Example:
    //   TKX_Integer& ShadowX = Declare<TKX_Integer>("FX2_Shadow_X", "Shadow_X", 6, {-100, 100});
    template <typename V, typename Def> V& Declare(std::string widget, std::string key, Def def) {
        static_assert(!V::kRanged, "an integer setting is declared with its range");
        return Add(std::make_unique<V>(std::move(key), std::move(def)), std::move(widget));
    }
    template <typename V, typename Def>
    V& Declare(std::string widget, std::string key, Def def, TIntRange range) {
        return Add(std::make_unique<V>(std::move(key), std::move(def), range), std::move(widget));
    }
    template <typename V, typename Def>
    V& Declare(std::string widget, std::string key, Def def, TIntRange range, TIntRange runRange) {
        return Add(std::make_unique<V>(std::move(key), std::move(def), range, runRange), std::move(widget));
    }
    // Every setting added after the first release is declared with this, the
    // same arguments as Declare: its key is optional, so scenario files
    // written before it load without a "Could't read variable" line and the
    // setting takes its default (TKX_ValueBase::Optional). Settings of the
    // first release stay with Declare and keep that line when missing.
    template <typename V, typename... Args> V& DeclareOptional(Args&&... args) {
        V& value = Declare<V>(std::forward<Args>(args)...);
        value.MarkOptional();
        return value;
    }

    TRegClassInfo classInfo_;

private:
    template <typename V> V& Add(std::unique_ptr<V> value, std::string widget) {
        V& ref = *value;
        settings_.push_back({std::move(value), std::move(widget)});
        return ref;
    }

    TINIObject settingsStore_;
    TRunContext* context_;
    std::vector<TSetting> settings_;
};

}  // namespace pm
