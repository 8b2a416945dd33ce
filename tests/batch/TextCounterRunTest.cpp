// The text task's {counter} in a batch run: each picture's number in the
// run, the same whichever worker draws it.
#include "batch/BatchRun.h"
#include "core/ScenarioFile.h"
#include "support/Pixels.h"
#include "support/ReaderTestKit.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"
#include "tasks/PM__TText.h"

#include <gtest/gtest.h>

#include <set>

namespace pm {
namespace {

TEST(TextCounterRun, EachPictureItsNumberWithAnyWorkerCount) {
    test::TTempDir dir;
    const std::string src = dir.MakeDir("src"), scenario = dir.Path("count.pms");
    // Five pictures alike: only the counter tells their results apart.
    std::vector<std::uint8_t> bmp;
    test::SolidDib(40, 20, 0x000000).SaveToStream(bmp);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"})
        dir.Write("src/" + std::string(name), bmp);
    {
        TRunContext ctx;
        auto text = std::make_unique<TText>(&ctx);
        text->Text.SetValue("{counter}", vsCurrent);
        text->Font_Family.SetValue(test::TestDataPath("fonts/DejaVuSans.ttf"), vsCurrent);
        text->Size.SetValue(12, vsCurrent);
        text->Size_Metric.SetValue(mPixel, vsCurrent);
        auto save = std::make_unique<TSaveToFile>(&ctx);
        save->Out_Format.SetValue(1, vsCurrent);  // BMP: the bytes as drawn
        TTaskList list;
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::make_unique<TLoadFromFile>(&ctx)}));
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Count", std::move(text)}));
        list.push_back(std::make_unique<TaskRec>(TaskRec{"Save", std::move(save)}));
        ASSERT_TRUE(WriteScenarioFile(list, scenario));
    }
    std::map<std::string, std::string> results[2];
    for (int jobs : {1, 3}) {
        test::TLogRecorder log;
        const std::string tgt = dir.MakeDir("tgt" + std::to_string(jobs));
        TBatchRun run({{src, true, tgt, scenario}});
        run.Jobs = jobs;
        EXPECT_TRUE(run.Execute());
        results[jobs == 1 ? 0 : 1] = test::TTempDir::Snapshot(tgt);
    }
    ASSERT_EQ(results[0].size(), 5u);
    EXPECT_EQ(results[0], results[1]);
    std::set<std::string> distinct;
    for (const auto& [name, bytes] : results[0]) distinct.insert(bytes);
    EXPECT_EQ(distinct.size(), 5u);
}

}  // namespace
}  // namespace pm
