#include "imaging/PixelMemoryGate.h"

namespace pm {

namespace {
thread_local IPixelMemoryGate* t_gate = nullptr;
}

IPixelMemoryGate* ThreadPixelMemoryGate() {
    return t_gate;
}

void SetThreadPixelMemoryGate(IPixelMemoryGate* gate) {
    t_gate = gate;
}

}  // namespace pm
