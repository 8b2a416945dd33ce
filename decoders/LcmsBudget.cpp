// Every block carries a header with its size and the counter it was charged
// to, so it is paid back to the right budget however Little CMS frees it.
// The context structure itself is allocated before the context can name its
// budget; it goes uncounted.
#include "decoders/LcmsBudget.h"

#include <lcms2_plugin.h>

#include <cstdlib>
#include <cstring>

namespace pm {

namespace {

struct alignas(16) THeader {
    std::size_t Size;
    TLcmsBudget::TCounter* Counter;
};

void* Allocate(cmsContext context, cmsUInt32Number size) {
    auto* counter = static_cast<TLcmsBudget::TCounter*>(cmsGetContextUserData(context));
    if (counter) {
        if (size > counter->Cap - counter->Held) return nullptr;
        counter->Held += size;
    }
    auto* header = static_cast<THeader*>(std::malloc(sizeof(THeader) + size));
    if (!header) {
        if (counter) counter->Held -= size;
        return nullptr;
    }
    *header = {size, counter};
    return header + 1;
}

void Release(cmsContext, void* block) {
    if (!block) return;
    THeader* header = static_cast<THeader*>(block) - 1;
    if (header->Counter) header->Counter->Held -= header->Size;
    std::free(header);
}

void* Reallocate(cmsContext context, void* block, cmsUInt32Number size) {
    void* grown = Allocate(context, size);
    if (!grown || !block) return grown;
    const std::size_t old = (static_cast<THeader*>(block) - 1)->Size;
    std::memcpy(grown, block, old < size ? old : size);
    Release(context, block);
    return grown;
}

}  // namespace

TLcmsBudget::TLcmsBudget(std::size_t cap) {
    counter_.Cap = cap;
    static cmsPluginMemHandler plugin = {{cmsPluginMagicNumber, 2000, cmsPluginMemHandlerSig, nullptr},
                                         Allocate,
                                         Release,
                                         Reallocate,
                                         nullptr,
                                         nullptr,
                                         nullptr};
    context_ = cmsCreateContext(&plugin, &counter_);
}

TLcmsBudget::~TLcmsBudget() {
    if (context_) cmsDeleteContext(context_);
}

}  // namespace pm
