#pragma once
// A task whose Execute does what the test says, for runner and batch tests.
// Register it under a test-only class name with RegisterScriptedTask.
#include "core/BaseClass.h"
#include "core/ClassRegistry.h"

#include <functional>
#include <string>

namespace pm::test {

class TScriptedTask : public TBaseClass {
  public:
    using TAction = std::function<bool(TScriptedTask&, TValueSlot)>;

    explicit TScriptedTask(TAction action = {}, std::string className = "TScriptedTask",
                           TRunContext* context = nullptr)
        : TBaseClass(context), action_(std::move(action)) {
        classInfo_ = {std::move(className), "Test: scripted", "Scripted task", 0};
    }
    bool Execute(TValueSlot slot) override {
        ++Runs;
        return action_ ? action_(*this, slot) : true;
    }
    int Runs = 0;

  private:
    TAction action_;
};

// Makes `className` a registered class whose tasks run `action`.
inline void RegisterScriptedTask(const std::string& className, TScriptedTask::TAction action) {
    TClassRegistry::Instance().Register(className, [className, action](TRunContext* ctx) {
        return std::make_unique<TScriptedTask>(action, className, ctx);
    });
}

} // namespace pm::test
