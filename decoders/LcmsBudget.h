#pragma once
// A Little CMS context whose memory is capped: a small damaged profile can
// declare tags that would make Little CMS allocate hundreds of megabytes.
#include <lcms2.h>

#include <cstddef>

namespace pm {

class TLcmsBudget {
public:
    // `cap`: the most bytes the context may hold at once.
    explicit TLcmsBudget(std::size_t cap);
    ~TLcmsBudget();
    TLcmsBudget(const TLcmsBudget&) = delete;
    TLcmsBudget& operator=(const TLcmsBudget&) = delete;

    // Null when the context could not be made.
    cmsContext Context() const { return context_; }

    struct TCounter {
        std::size_t Cap = 0;
        std::size_t Held = 0;
    };

private:
    TCounter counter_;
    cmsContext context_ = nullptr;
};

}  // namespace pm
