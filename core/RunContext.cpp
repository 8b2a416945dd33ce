#include "core/RunContext.h"

namespace pm {

TRunContext::TRunContext() : generalObject_(std::make_unique<TBaseClass>(this)) {}
TRunContext::~TRunContext() = default;

}  // namespace pm
