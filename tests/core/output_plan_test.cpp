// SPDX-License-Identifier: GPL-3.0-or-later
// The check of a run's outputs before anything is written, on real files.
#include "core/output_plan.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace crunchwise::commands;
using crunchwise::testing::ScratchFolder;

namespace {

struct Expected {
    OutputVerdict verdict;
    std::size_t other;
};

void expectChecks(const std::vector<OutputJob>& jobs, const std::vector<Expected>& expected) {
    const std::vector<OutputCheck> checks = checkOutputs(jobs);
    ASSERT_EQ(checks.size(), expected.size());
    for (std::size_t i = 0; i < checks.size(); ++i) {
        EXPECT_EQ(checks[i].verdict, expected[i].verdict) << "job " << i;
        if (checks[i].verdict == OutputVerdict::isSource ||
            checks[i].verdict == OutputVerdict::takenEarlier) {
            EXPECT_EQ(checks[i].other, expected[i].other) << "job " << i;
        }
    }
}

class OutputPlan : public ::testing::Test {
protected:
    std::string file(const std::string& name) const {
        const std::string path = (folder / name).string();
        std::ofstream(path) << name;
        return path;
    }
    std::string at(const std::string& name) const { return (folder / name).string(); }

    ScratchFolder folder;
};

} // namespace

// x.txt and x.tx_ compressed side by side: x.txt's output is the other
// source, x.tx_'s output is itself. Nothing of the user's may be written over.
TEST_F(OutputPlan, AnOutputThatIsASelectedSourceIsRefused) {
    expectChecks({{file("x.txt"), at("x.tx_")}, {file("x.tx_"), at("x.tx_")}},
                 {{OutputVerdict::isSource, 1}, {OutputVerdict::isSource, 1}});
}

TEST_F(OutputPlan, TheFirstSourceKeepsAnOutputThatLaterOnesWouldGiveToo) {
    expectChecks({{file("x.txt"), at("x.tx_")},
                  {file("x.txy"), at("x.tx_")},
                  {file("x"), at("_")},
                  {file("_x"), at("./sub/../_")}},
                 {{OutputVerdict::write, 0},
                  {OutputVerdict::takenEarlier, 0},
                  {OutputVerdict::write, 0},
                  {OutputVerdict::takenEarlier, 2}});
}

TEST_F(OutputPlan, ExistingFilesFoldersAndDanglingLinksAreReportedAsExisting) {
    file("old.tx_");
    std::filesystem::create_directory(at("dir.tx_"));
    ASSERT_EQ(::symlink("/nonexistent/target", at("link.tx_").c_str()), 0);
    expectChecks(
        {{file("old.txt"), at("old.tx_")},
         {file("dir.txt"), at("dir.tx_")},
         {file("link.txt"), at("link.tx_")}},
        {{OutputVerdict::exists, 0}, {OutputVerdict::exists, 0}, {OutputVerdict::exists, 0}});
}

// Another spelling of the same place: a linked folder, a hard link, a link
// at the output name that leads to a source.
TEST_F(OutputPlan, OtherSpellingsOfOneFileAreTheSameFile) {
    std::filesystem::create_directory(at("real"));
    std::filesystem::create_directory_symlink(at("real"), at("alias"));
    const std::string source = file("a.txt");
    ASSERT_EQ(::link(source.c_str(), at("hard.tx_").c_str()), 0);
    ASSERT_EQ(::symlink(source.c_str(), at("soft.tx_").c_str()), 0);
    expectChecks({{source, at("hard.tx_")},
                  {file("b.txt"), at("soft.tx_")},
                  {file("c.txt"), at("real/c.tx_")},
                  {file("d.txt"), at("alias/c.tx_")}},
                 {{OutputVerdict::isSource, 0},
                  {OutputVerdict::isSource, 0},
                  {OutputVerdict::write, 0},
                  {OutputVerdict::takenEarlier, 2}});
}
