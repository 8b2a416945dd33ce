#pragma once
// Pixel memory is the bulk of what processing a picture takes. A thread can
// be given a gate that hears of every pixel allocation before it happens, so
// that a batch run can keep its workers within a memory budget (the gate may
// make the thread wait).
#include <cstddef>

namespace pm {

// The pictures a file's processing holds at once: the picture as loaded, its
// 24-bit form, and a task's input and output.
constexpr unsigned kPictureWorkingCopies = 4;

class IPixelMemoryGate {
public:
    virtual ~IPixelMemoryGate() = default;
    // Called before `bytes` of pixel memory are allocated on this thread.
    // `copies` is how many pictures of that size the work at hand is likely
    // to hold at once: a picture is copied from task to task, while the
    // bytes of a file being read are held once.
    virtual void BeforeAllocate(std::size_t bytes, unsigned copies) = 0;
};

// The calling thread's gate; null (the default) lets every allocation pass.
IPixelMemoryGate* ThreadPixelMemoryGate();
void SetThreadPixelMemoryGate(IPixelMemoryGate* gate);

}  // namespace pm
