#include "core/PM_Utils.h"

#include "support/RecordingConsole.h"
#include "support/ScriptedTask.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::TScriptedTask;

// Widens the image by one column and notes the width it was given.
TScriptedTask::TAction Widen(std::vector<int>* seen) {
    return [seen](TScriptedTask& t, TValueSlot) {
        seen->push_back(t.SrcBitmap.Width());
        t.DstBitmap.SetSize(t.SrcBitmap.Width() + 1, t.SrcBitmap.Height());
        return true;
    };
}

class RunScenario_ : public testing::Test {
protected:
    void SetUp() override {
        ctx.GeneralObject().SrcBitmap.SetSize(4, 3);
        ctx.GeneralObject().DstBitmap.SetSize(9, 9);
    }
    TScriptedTask& Add(const std::string& name, TScriptedTask::TAction action) {
        auto rec = std::make_unique<TaskRec>();
        rec->Name = name;
        auto task = std::make_unique<TScriptedTask>(std::move(action));
        TScriptedTask& ref = *task;
        rec->Task = std::move(task);
        list.push_back(std::move(rec));
        return ref;
    }
    int Runs() const {
        int n = 0;
        for (const auto& rec : list) n += static_cast<TScriptedTask&>(*rec->Task).Runs;
        return n;
    }
    const TBitmap& Result() { return ctx.GeneralObject().DstBitmap; }

    test::TLogRecorder log;
    TRunContext ctx;
    TTaskList list;
    std::vector<int> seen;
};

TEST_F(RunScenario_, RangeOutsideTheListFails) {
    for (const char* n : {"A", "B", "C"}) Add(n, Widen(&seen));
    const std::pair<int, int> ranges[] = {{2, 1}, {0, 5}, {3, 3}, {0, 3}};
    for (auto [first, last] : ranges) {
        log.Clear();
        EXPECT_EQ(RunScenario(ctx, first, last, &list), -1);
        EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Processing source image ... ",
                                                         "Failed! Cannot get pointer to scenario."}))
            << first << ".." << last;
    }
    EXPECT_EQ(RunScenario(ctx, 0, 0, nullptr), -1);
    TTaskList empty;
    EXPECT_EQ(RunScenario(ctx, 0, 0, &empty), -1);
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(Result().Width(), 9);
}

TEST_F(RunScenario_, EachTaskGetsItsPredecessorsResult) {
    for (const char* n : {"A", "B", "C"}) Add(n, Widen(&seen));
    const double total = RunScenario(ctx, 0, 2, &list);
    EXPECT_GE(total, 0);
    EXPECT_EQ(seen, (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(Result().Width(), 7);
    EXPECT_EQ(ctx.GeneralObject().SrcBitmap.Width(), 4);
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{"Processing source image ... ", " - task \"A\" ...",
                                        " - task \"B\" ...", " - task \"C\" ...", "Scenario complete."}));
    EXPECT_EQ(log.Messages[1].Segments[1].Color, LogValueColor);

    seen.clear();
    EXPECT_GE(RunScenario(ctx, 1, 1, &list), 0);  // one task on the source image
    EXPECT_EQ(seen, std::vector<int>{4});
    EXPECT_EQ(Result().Width(), 5);
}

TEST_F(RunScenario_, FailingTaskStopsTheChainAndKeepsThePreviousResult) {
    Add("A", Widen(&seen));
    Add("B", [](TScriptedTask&, TValueSlot) { return false; });
    Add("C", Widen(&seen));
    EXPECT_EQ(RunScenario(ctx, 0, 2, &list), -1);
    EXPECT_EQ(seen, std::vector<int>{4});  // C never ran
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(Result().Width(), 9);
    EXPECT_EQ(log.Texts().back(), "Scenario processing failed!");
    EXPECT_EQ(log.Messages.back().Kind, lmError);
}

TEST_F(RunScenario_, ErrorsRaisedByATaskPassThrough) {
    Add("A", Widen(&seen));
    Add("B", [](TScriptedTask&, TValueSlot) -> bool { throw std::runtime_error("task error"); });
    Add("C", Widen(&seen));
    EXPECT_THROW(RunScenario(ctx, 0, 2, &list), std::runtime_error);
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(Result().Width(), 9);
}

TEST_F(RunScenario_, TasksWorkOnPrivateCopies) {
    TFastDIB& src = ctx.GeneralObject().SrcBitmap.MutableDib();
    src.SetPixel(0, 0, {1, 2, 3});
    Add("Paint", [](TScriptedTask& t, TValueSlot) {
        t.SrcBitmap.MutableDib().SetPixel(0, 0, {9, 9, 9});
        t.DstBitmap = t.SrcBitmap;
        return true;
    });
    Add("Keep", [](TScriptedTask& t, TValueSlot) {
        t.DstBitmap = t.SrcBitmap;
        return true;
    });
    ASSERT_GE(RunScenario(ctx, 0, 1, &list), 0);
    EXPECT_EQ(ctx.GeneralObject().SrcBitmap.Dib().GetPixel(0, 0), (TColorTriple{1, 2, 3}));
    EXPECT_EQ(Result().Dib().GetPixel(0, 0), (TColorTriple{9, 9, 9}));
}

TEST_F(RunScenario_, EntryWithoutTaskOrNegativeIndexFailsTheRun) {
    Add("A", Widen(&seen));
    list.push_back(std::make_unique<TaskRec>());
    list.back()->Name = "empty";
    EXPECT_EQ(RunScenario(ctx, 0, 1, &list), -1);
    EXPECT_TRUE(log.Has("Can't get valid \"BaseClass\"!"));
    EXPECT_EQ(log.Texts().back(), "Scenario processing failed!");

    log.Clear();
    EXPECT_EQ(RunScenario(ctx, -1, 0, &list), -1);
    EXPECT_TRUE(log.Has("Can't get valid \"TaskRecord\" for task index =-1"));
    EXPECT_EQ(log.Texts().back(), "Scenario processing failed!");
}

TEST_F(RunScenario_, RunTaskTimesOrFails) {
    TScriptedTask& ok = Add("ok", [](TScriptedTask&, TValueSlot slot) { return slot == vsEdited; });
    EXPECT_GE(RunTask(&ok, vsEdited), 0);
    EXPECT_EQ(RunTask(&ok, vsCurrent), -1);
    EXPECT_EQ(RunTask(nullptr, vsCurrent), -1);
}

TEST_F(RunScenario_, GetTaskRecordReportsTheIndex) {
    Add("A", Widen(&seen));
    EXPECT_EQ(GetTaskRecord(&list, 0), list[0].get());
    EXPECT_EQ(GetTaskRecord(&list, 5), nullptr);
    EXPECT_EQ(GetTaskRecord(nullptr, 0), nullptr);
    ASSERT_EQ(log.Messages.size(), 2u);
    const auto& m = log.Messages[0];
    EXPECT_EQ(m.Kind, lmError);
    ASSERT_EQ(m.Segments.size(), 2u);
    EXPECT_EQ(m.Segments[0].Text, "Can't get valid \"TaskRecord\" for task index =");
    EXPECT_EQ(m.Segments[1].Text, "5");
    EXPECT_EQ(m.Segments[1].Color, LogValueColor);
}

// A missing entry is reported once, not again as a missing task.
TEST_F(RunScenario_, GetEntryTaskReportsTheFirstMissingPart) {
    TScriptedTask& a = Add("A", Widen(&seen));
    list.push_back(std::make_unique<TaskRec>());
    struct Case {
        int index;
        TBaseClass* task;
        std::vector<std::string> logged;
    };
    const Case cases[] = {{0, &a, {}},
                          {1, nullptr, {"Can't get valid \"BaseClass\"!"}},
                          {2, nullptr, {"Can't get valid \"TaskRecord\" for task index =2"}}};
    for (const Case& c : cases) {
        log.Clear();
        EXPECT_EQ(GetEntryTask(&list, c.index), c.task) << c.index;
        EXPECT_EQ(log.Texts(), c.logged) << c.index;
    }
}

}  // namespace
}  // namespace pm
