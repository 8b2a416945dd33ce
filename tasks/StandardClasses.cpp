#include "tasks/StandardClasses.h"

#include "core/ClassRegistry.h"
#include "tasks/PM__TAdjust.h"
#include "tasks/PM__TCrop.h"
#include "tasks/PM__TFadeEllipseBevel.h"
#include "tasks/PM__TFadeRectangleBevel.h"
#include "tasks/PM__TFadeShadow.h"
#include "tasks/PM__TFilm.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TRectangleBevel.h"
#include "tasks/PM__TResizeBitmap.h"
#include "tasks/PM__TResizeCanvas.h"
#include "tasks/PM__TRotate.h"
#include "tasks/PM__TSaveToFile.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TSharpen.h"
#include "tasks/PM__TStamp.h"
#include "tasks/PM__TText.h"
#include "tasks/PM__TWatermark.h"

namespace pm {

namespace {
template <typename T> TTaskFactory Factory() {
    return [](TRunContext* ctx) -> std::unique_ptr<TBaseClass> { return std::make_unique<T>(ctx); };
}
}  // namespace

void RegisterStandardClasses() {
    TClassRegistry& r = TClassRegistry::Instance();
    r.Register("TBaseClass", Factory<TBaseClass>());
    r.Register("TLoadFromFile", Factory<TLoadFromFile>());
    r.Register("TResizeBitmap", Factory<TResizeBitmap>());
    r.Register("TResizeCanvas", Factory<TResizeCanvas>());
    r.Register("TShadow", Factory<TShadow>());
    r.Register("TRectangleBevel", Factory<TRectangleBevel>());
    r.Register("TFadeRectangleBevel", Factory<TFadeRectangleBevel>());
    r.Register("TFadeEllipseBevel", Factory<TFadeEllipseBevel>());
    r.Register("TFadeShadow", Factory<TFadeShadow>());
    r.Register("TFilm", Factory<TFilm>());
    r.Register("TStamp", Factory<TStamp>());
    r.Register("TSaveToFile", Factory<TSaveToFile>());
    // The task types added after the first twelve classes.
    r.Register("TCrop", Factory<TCrop>());
    r.Register("TRotate", Factory<TRotate>());
    r.Register("TSharpen", Factory<TSharpen>());
    r.Register("TAdjust", Factory<TAdjust>());
    r.Register("TWatermark", Factory<TWatermark>());
    r.Register("TText", Factory<TText>());
}

}  // namespace pm
