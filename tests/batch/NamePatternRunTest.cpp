// Result names from the save task's pattern in a batch run: the names, and
// the collision rule for names two sources would share.
#include "batch/BatchRun.h"
#include "core/ScenarioFile.h"
#include "support/Pixels.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pm {
namespace {

TEST(NamePatternRun, ResultsNamedByThePatternAndCollisionsRefused) {
    struct Case {
        const char* pattern;
        std::vector<std::string> results;  // below the target's folded source folder
        int failed;
    };
    const Case cases[] = {
        {"", {"a.bmp", "b.bmp"}, 0},
        {"{name}_web", {"a_web.bmp", "b_web.bmp"}, 0},
        {"{counter:3}", {"001.bmp", "002.bmp"}, 0},
        // Both would be "same.bmp": the first source keeps it.
        {"same", {"same.bmp"}, 1},
        {"x/{name}", {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        test::TTempDir dir;
        const std::string src = dir.MakeDir("src"), tgt = dir.MakeDir("tgt"), scenario = dir.Path("s.pms");
        std::vector<std::uint8_t> bmp;
        test::SolidDib(4, 4, 0x336699).SaveToStream(bmp);
        dir.Write("src/a.bmp", bmp);
        dir.Write("src/b.bmp", bmp);
        {
            TRunContext ctx;
            auto save = std::make_unique<TSaveToFile>(&ctx);
            save->Out_Format.SetValue(1, vsCurrent);
            save->Name_Pattern.SetValue(c.pattern, vsCurrent);
            TTaskList list;
            list.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::make_unique<TLoadFromFile>(&ctx)}));
            list.push_back(std::make_unique<TaskRec>(TaskRec{"Save", std::move(save)}));
            ASSERT_TRUE(WriteScenarioFile(list, scenario));
        }
        test::TLogRecorder log;
        TBatchRun run({{src, true, tgt, scenario}});
        run.Jobs = 2;
        EXPECT_EQ(run.Execute(), c.failed == 0);
        EXPECT_EQ(run.FilesFailed(), c.failed);
        std::vector<std::string> names;
        for (const auto& [name, bytes] : test::TTempDir::Snapshot(tgt))
            names.push_back(name.substr(name.rfind('/') + 1));
        EXPECT_EQ(names, c.results);
        const auto said = [&](const std::string& start) {
            return std::any_of(log.Messages.begin(), log.Messages.end(),
                               [&](const auto& m) { return m.Text().rfind(start, 0) == 0; });
        };
        EXPECT_EQ(said("Result file \"" + tgt), c.failed == 1);
        EXPECT_EQ(said("Invalid result name \""), c.failed == 2);
    }
}

}  // namespace
}  // namespace pm
