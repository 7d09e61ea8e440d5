#include "heartbeat/ReachState.h"

#include "heartbeat/TrayIcon.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using heartbeat::kCampusIndex;
using heartbeat::kDomesticIndex;
using heartbeat::REACH_CAMPUS;
using heartbeat::REACH_DOMESTIC;
using heartbeat::REACH_NONE;
using heartbeat::ReachSnapshot;

// One row of the transition table: a state with its counters, an event, and what follows.
struct StepCase {
    std::string name;
    ReachSnapshot current;
    int index;
    bool replied;
    ReachSnapshot expected;
};

std::ostream& operator<<(std::ostream& out, const StepCase& step) {
    return out << step.name;
}

class ReachStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(ReachStepTest, FollowsTheTable) {
    const StepCase& step = GetParam();
    const ReachSnapshot next = heartbeat::NextReachState(step.current, step.index, step.replied);
    EXPECT_EQ(next.state, step.expected.state);
    EXPECT_EQ(next.campusMisses, step.expected.campusMisses);
    EXPECT_EQ(next.domesticMisses, step.expected.domesticMisses);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, ReachStepTest,
    testing::Values(
        // The four rows that move.
        StepCase{"none_campus_reply_rises",
                 {REACH_NONE, 5, 3},
                 kCampusIndex,
                 true,
                 {REACH_CAMPUS, 0, 3}},
        StepCase{"campus_domestic_reply_rises",
                 {REACH_CAMPUS, 1, 4},
                 kDomesticIndex,
                 true,
                 {REACH_DOMESTIC, 1, 0}},
        StepCase{"campus_first_miss_counts",
                 {REACH_CAMPUS, 0, 0},
                 kCampusIndex,
                 false,
                 {REACH_CAMPUS, 1, 0}},
        StepCase{"campus_second_miss_falls",
                 {REACH_CAMPUS, 1, 0},
                 kCampusIndex,
                 false,
                 {REACH_NONE, 2, 0}},
        StepCase{"domestic_first_miss_counts",
                 {REACH_DOMESTIC, 0, 0},
                 kDomesticIndex,
                 false,
                 {REACH_DOMESTIC, 0, 1}},
        StepCase{"domestic_second_miss_falls",
                 {REACH_DOMESTIC, 1, 1},
                 kDomesticIndex,
                 false,
                 {REACH_CAMPUS, 1, 2}},
        // Every other pair leaves state and counters alone.
        StepCase{"none_domestic_reply_ignored",
                 {REACH_NONE, 2, 1},
                 kDomesticIndex,
                 true,
                 {REACH_NONE, 2, 1}},
        StepCase{"none_campus_miss_ignored",
                 {REACH_NONE, 2, 1},
                 kCampusIndex,
                 false,
                 {REACH_NONE, 2, 1}},
        StepCase{"none_domestic_miss_ignored",
                 {REACH_NONE, 2, 1},
                 kDomesticIndex,
                 false,
                 {REACH_NONE, 2, 1}},
        StepCase{"campus_campus_reply_keeps_count",
                 {REACH_CAMPUS, 1, 0},
                 kCampusIndex,
                 true,
                 {REACH_CAMPUS, 1, 0}},
        StepCase{"campus_domestic_miss_ignored",
                 {REACH_CAMPUS, 1, 1},
                 kDomesticIndex,
                 false,
                 {REACH_CAMPUS, 1, 1}},
        StepCase{"domestic_campus_miss_ignored",
                 {REACH_DOMESTIC, 1, 0},
                 kCampusIndex,
                 false,
                 {REACH_DOMESTIC, 1, 0}},
        StepCase{"domestic_campus_reply_ignored",
                 {REACH_DOMESTIC, 1, 0},
                 kCampusIndex,
                 true,
                 {REACH_DOMESTIC, 1, 0}},
        StepCase{"domestic_domestic_reply_keeps_count",
                 {REACH_DOMESTIC, 0, 1},
                 kDomesticIndex,
                 true,
                 {REACH_DOMESTIC, 0, 1}},
        StepCase{"unknown_index_ignored", {REACH_CAMPUS, 1, 0}, 2, false, {REACH_CAMPUS, 1, 0}}),
    [](const testing::TestParamInfo<StepCase>& info) { return info.param.name; });

// A run of events from the starting state: "c+" campus reply, "c-" campus miss, "d+", "d-"
// the domestic ones; the state after each event, and how often a change was announced.
struct SequenceCase {
    std::string name;
    std::vector<std::string> events;
    std::vector<int> states;
    int changes;
};

std::ostream& operator<<(std::ostream& out, const SequenceCase& sequence) {
    return out << sequence.name;
}

class ReachSequenceTest : public testing::TestWithParam<SequenceCase> {};

TEST_P(ReachSequenceTest, GivesTheStates) {
    const SequenceCase& sequence = GetParam();
    int changes = 0;
    heartbeat::CReachState reach([&changes] { ++changes; });
    EXPECT_EQ(reach.GetState(), REACH_CAMPUS);
    std::vector<int> states;
    for (const std::string& event : sequence.events) {
        const int index = event[0] == 'c' ? kCampusIndex : kDomesticIndex;
        if (event[1] == '+') {
            reach.OnHBReply(index);
        } else {
            reach.OnHBNoReply(index);
        }
        states.push_back(reach.GetState());
    }
    EXPECT_EQ(states, sequence.states);
    EXPECT_EQ(changes, sequence.changes);
}

constexpr int N = REACH_NONE;
constexpr int C = REACH_CAMPUS;
constexpr int D = REACH_DOMESTIC;

INSTANTIATE_TEST_SUITE_P(
    Sequences, ReachSequenceTest,
    testing::Values(SequenceCase{"both_answer", {"c+", "d+", "c+", "d+"}, {C, D, D, D}, 1},
                    SequenceCase{"no_network", {"c-", "d-", "c-", "d-"}, {C, C, N, N}, 1},
                    SequenceCase{"only_domestic_answers_from_none",
                                 {"c-", "c-", "d+", "d+", "c+", "d+"},
                                 {C, N, N, N, C, D},
                                 3},
                    SequenceCase{"miss_reply_miss_falls", {"c-", "c+", "c-"}, {C, C, N}, 1},
                    SequenceCase{"campus_misses_ignored_in_domestic",
                                 {"d+", "c-", "c-", "c-", "c-", "d-", "d-"},
                                 {D, D, D, D, D, D, C},
                                 2},
                    SequenceCase{"campus_count_survives_the_climb",
                                 {"c-", "d+", "d-", "d-", "c-"},
                                 {C, D, D, C, N},
                                 3},
                    SequenceCase{"domestic_count_reset_on_climb",
                                 {"d+", "d-", "d-", "d+", "d-", "d+", "d-"},
                                 {D, D, C, D, D, D, C},
                                 4},
                    SequenceCase{"campus_count_reset_on_climb_from_none",
                                 {"c-", "c-", "c+", "c-", "c+", "c-"},
                                 {C, N, C, C, C, N},
                                 3}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return info.param.name; });

struct IconCase {
    int state;
    bool bound;
    int icon;
};

TEST(TrayIconTest, ChoosesFromStateAndGuard) {
    const IconCase cases[] = {
        {REACH_NONE, false, heartbeat::IDI_NET_NONE},
        {REACH_CAMPUS, false, heartbeat::IDI_NET_CAMPUS},
        {REACH_DOMESTIC, false, heartbeat::IDI_NET_DOMESTIC},
        {REACH_NONE, true, heartbeat::IDI_GUARD_NONE},
        {REACH_CAMPUS, true, heartbeat::IDI_GUARD_CAMPUS},
        {REACH_DOMESTIC, true, heartbeat::IDI_GUARD_DOMESTIC},
        {0, false, heartbeat::IDI_NET_NONE},
        {48, true, heartbeat::IDI_GUARD_NONE},
    };
    for (const IconCase& row : cases) {
        EXPECT_EQ(heartbeat::ChooseTrayIcon(row.state, row.bound), row.icon)
            << "state " << row.state << " bound " << row.bound;
    }
    EXPECT_EQ(heartbeat::IDI_NET_NONE, 152);
    EXPECT_EQ(heartbeat::IDI_GUARD_DOMESTIC, 166);
}

TEST(ReachStateNameTest, NamesEachState) {
    EXPECT_STREQ(heartbeat::ReachStateName(REACH_NONE), "none");
    EXPECT_STREQ(heartbeat::ReachStateName(REACH_CAMPUS), "campus");
    EXPECT_STREQ(heartbeat::ReachStateName(REACH_DOMESTIC), "domestic");
    EXPECT_STREQ(heartbeat::ReachStateName(0), "unknown");
}

} // namespace
