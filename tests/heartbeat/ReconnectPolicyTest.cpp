#include "heartbeat/ReconnectPolicy.h"

#include "gateway/QELVORNClient.h"
#include "heartbeat/ReachState.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using heartbeat::CReconnectPolicy;
using heartbeat::ReconnectClock;
using heartbeat::ReconnectDecision;
using namespace std::chrono_literals;

// One line of a script: at a time (ms after the start) an event, and what must follow.
// Events: "connected", "disconnected", "reach none|campus|domestic", "resume", "ended CODE"
// (expect the phase's name afterwards), and "next" (expect "rest", "wait MS", "reconnect"
// or "reconnect-all").
struct Step {
    int atMs;
    std::string event;
    std::string expected;
};

struct ScriptCase {
    std::string name;
    double draw; // what the jitter draws every time
    std::vector<Step> steps;
};

std::ostream& operator<<(std::ostream& out, const ScriptCase& script) {
    return out << script.name;
}

int ReachValue(const std::string& name) {
    if (name == "none") {
        return heartbeat::REACH_NONE;
    }
    return name == "campus" ? heartbeat::REACH_CAMPUS : heartbeat::REACH_DOMESTIC;
}

std::string Describe(const ReconnectDecision& decision, ReconnectClock::time_point start) {
    switch (decision.kind) {
    case ReconnectDecision::Kind::Rest:
        return "rest";
    case ReconnectDecision::Kind::Wait:
        return "wait " + std::to_string((decision.at - start) / 1ms);
    case ReconnectDecision::Kind::Reconnect:
        return "reconnect";
    case ReconnectDecision::Kind::ReconnectAfterDisconnectAll:
        return "reconnect-all";
    }
    return "?";
}

// Applies one step and answers what the script compares with its expectation.
std::string Apply(CReconnectPolicy& policy, const Step& step, ReconnectClock::time_point start) {
    const ReconnectClock::time_point now = start + std::chrono::milliseconds(step.atMs);
    std::istringstream words(step.event);
    std::string verb;
    std::string argument;
    words >> verb >> argument;
    if (verb == "next") {
        return Describe(policy.Next(now), start);
    }
    if (verb == "connected") {
        policy.Connected();
    } else if (verb == "disconnected") {
        policy.Disconnected();
    } else if (verb == "reach") {
        policy.ReachChanged(ReachValue(argument), now);
    } else if (verb == "resume") {
        policy.Resumed(now);
    } else if (verb == "ended") {
        policy.AttemptEnded(std::stoi(argument), now);
    } else {
        ADD_FAILURE() << "unknown event " << step.event;
    }
    return heartbeat::ReconnectPhaseName(policy.GetPhase());
}

class ReconnectScriptTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(ReconnectScriptTest, DecidesAsTheScriptSays) {
    const ScriptCase& script = GetParam();
    CReconnectPolicy policy([&script] { return script.draw; });
    const ReconnectClock::time_point start{};
    for (std::size_t i = 0; i < script.steps.size(); ++i) {
        const Step& step = script.steps[i];
        EXPECT_EQ(Apply(policy, step, start), step.expected)
            << "step " << i << " at " << step.atMs << " ms: " << step.event;
    }
}

// Connected with the domestic server answering: the start of most scripts.
std::vector<Step> Connected(std::vector<Step> then) {
    std::vector<Step> steps = {{0, "connected", "watching"}, {0, "reach domestic", "watching"}};
    steps.insert(steps.end(), then.begin(), then.end());
    return steps;
}

// Connected, then the gateway dropped the connection at 20 s and the first attempt started.
std::vector<Step> Dropped(std::vector<Step> then) {
    return Connected([&then] {
        std::vector<Step> steps = {{20'000, "reach campus", "pending"},
                                   {20'000, "next", "reconnect"}};
        steps.insert(steps.end(), then.begin(), then.end());
        return steps;
    }());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ReconnectScriptTest,
    testing::Values(
        ScriptCase{"drop_is_followed_by_one_reconnect", 0.0,
                   Dropped({{20'000, "next", "rest"},
                            {21'000, "ended 0", "watching"},
                            {21'000, "next", "rest"},
                            // Back up and down again: a second drop, a second reconnect.
                            {26'000, "reach domestic", "watching"},
                            {46'000, "reach campus", "pending"},
                            {46'000, "next", "reconnect"}})},
        ScriptCase{"backoff_doubles_to_five_minutes", 0.0,
                   Dropped({{20'000, "ended -4", "pending"},  {20'000, "next", "wait 25000"},
                            {24'999, "next", "wait 25000"},   {25'000, "next", "reconnect"},
                            {25'000, "ended -4", "pending"},  {25'000, "next", "wait 35000"},
                            {35'000, "next", "reconnect"},    {35'000, "ended -4", "pending"},
                            {35'000, "next", "wait 55000"},   {55'000, "next", "reconnect"},
                            {55'000, "ended -4", "pending"},  {55'000, "next", "wait 95000"},
                            {95'000, "next", "reconnect"},    {95'000, "ended -4", "pending"},
                            {95'000, "next", "wait 175000"},  {175'000, "next", "reconnect"},
                            {175'000, "ended -4", "pending"}, {175'000, "next", "wait 335000"},
                            {335'000, "next", "reconnect"},   {335'000, "ended -4", "pending"},
                            {335'000, "next", "wait 635000"}, {635'000, "next", "reconnect"},
                            {635'000, "ended -4", "pending"}, {635'000, "next", "wait 935000"}})},
        ScriptCase{"jitter_takes_off_up_to_a_fifth", 0.5,
                   Dropped({{20'000, "ended -4", "pending"},
                            {20'000, "next", "wait 24500"},
                            {24'500, "next", "reconnect"},
                            {24'500, "ended -4", "pending"},
                            {24'500, "next", "wait 33500"}})},
        ScriptCase{"jitter_never_goes_past_the_delay", 1.0,
                   Dropped({{20'000, "ended -4", "pending"}, {20'000, "next", "wait 24000"}})},
        ScriptCase{"no_attempt_while_the_campus_server_is_silent", 0.0,
                   Connected({{20'000, "reach campus", "pending"},
                              {20'000, "reach none", "pending"},
                              {20'000, "next", "rest"},
                              {90'000, "next", "rest"},
                              {95'000, "reach campus", "pending"},
                              {95'000, "next", "reconnect"}})},
        ScriptCase{"a_fall_from_domestic_to_none_waits_for_campus", 0.0,
                   Connected({{20'000, "reach none", "pending"},
                              {20'000, "next", "rest"},
                              {30'000, "reach campus", "pending"},
                              {30'000, "next", "reconnect"}})},
        ScriptCase{"backoff_waits_for_the_campus_server_too", 0.0,
                   Dropped({{20'000, "ended -4", "pending"},
                            {21'000, "reach none", "pending"},
                            {30'000, "next", "rest"},
                            {40'000, "reach campus", "pending"},
                            {40'000, "next", "reconnect"}})},
        ScriptCase{"wrong_password_stops", 0.0,
                   Dropped({{20'000, "ended -1", "stopped"},
                            {20'000, "next", "rest"},
                            {30'000, "resume", "stopped"},
                            {30'000, "next", "rest"},
                            {40'000, "connected", "watching"}})},
        ScriptCase{"no_user_name_stops", 0.0,
                   Dropped({{20'000, "ended -2", "stopped"}, {99'000, "next", "rest"}})},
        ScriptCase{"no_paid_right_stops", 0.0,
                   Dropped({{20'000, "ended -6", "stopped"}, {99'000, "next", "rest"}})},
        ScriptCase{"too_many_connections_disconnects_all_once", 0.0,
                   Dropped({{20'000, "ended -5", "pending"},
                            {20'000, "next", "reconnect-all"},
                            {21'000, "ended -5", "pending"},
                            {21'000, "next", "wait 26000"},
                            {26'000, "next", "reconnect"},
                            {26'000, "ended 0", "watching"}})},
        ScriptCase{"too_many_connections_then_connected", 0.0,
                   Dropped({{20'000, "ended -5", "pending"},
                            {20'000, "next", "reconnect-all"},
                            {20'500, "ended 0", "watching"}})},
        ScriptCase{"resume_reconnects_at_once", 0.0,
                   Connected({{50'000, "resume", "pending"},
                              {50'000, "next", "reconnect"},
                              {50'000, "resume", "attempting"},
                              {51'000, "ended 0", "watching"}})},
        ScriptCase{"resume_starts_the_backoff_afresh", 0.0,
                   Dropped({{20'000, "ended -4", "pending"},
                            {25'000, "next", "reconnect"},
                            {25'000, "ended -4", "pending"},
                            {32'000, "resume", "pending"},
                            {32'000, "next", "reconnect"},
                            {32'000, "ended -4", "pending"},
                            {32'000, "next", "wait 37000"}})},
        ScriptCase{"nothing_while_not_connected",
                   0.0,
                   {{0, "reach domestic", "idle"},
                    {20'000, "reach campus", "idle"},
                    {30'000, "resume", "idle"},
                    {30'000, "next", "rest"},
                    {31'000, "ended 0", "idle"}}},
        ScriptCase{"user_disconnect_ends_a_pending_reconnect", 0.0,
                   Dropped({{20'000, "ended -4", "pending"},
                            {21'000, "disconnected", "idle"},
                            {25'000, "next", "rest"}})},
        ScriptCase{"domestic_back_by_itself_needs_no_reconnect", 0.0,
                   Connected({{20'000, "reach campus", "pending"},
                              {20'000, "reach none", "pending"},
                              {25'000, "reach campus", "pending"},
                              {25'000, "reach domestic", "watching"},
                              {25'000, "next", "rest"}})},
        ScriptCase{"a_fall_from_campus_asks_nothing",
                   0.0,
                   {{0, "connected", "watching"},
                    {20'000, "reach none", "watching"},
                    {30'000, "reach campus", "watching"},
                    {30'000, "next", "rest"}}}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

struct StopCase {
    int code;
    std::string reason;
};

TEST(ReconnectPolicyTest, SaysWhyItStoppedAndWhatTriggeredIt) {
    const std::vector<StopCase> cases = {
        {gateway::RESULT_BAD_PASSWORD, "the password is wrong or missing"},
        {gateway::RESULT_NO_USER_NAME, "there is no user name"},
        {gateway::RESULT_NO_RANGE, "there is no access range"},
        {gateway::RESULT_NO_PAID_RIGHT, "the account has no right to paid addresses"},
    };
    for (const StopCase& row : cases) {
        CReconnectPolicy policy([] { return 0.0; });
        const ReconnectClock::time_point start{};
        policy.Connected();
        policy.Resumed(start);
        EXPECT_EQ(policy.Trigger(), "the machine resumed from suspend");
        ASSERT_EQ(policy.Next(start).kind, ReconnectDecision::Kind::Reconnect);
        policy.AttemptEnded(row.code, start);
        EXPECT_EQ(policy.GetPhase(), CReconnectPolicy::Phase::Stopped) << row.code;
        EXPECT_EQ(policy.Reason(), row.reason);
        policy.Connected();
        EXPECT_EQ(policy.Reason(), "") << "a new connect clears the reason";
    }
}

TEST(ReconnectPolicyTest, NamesTheDomesticServerAsTheTriggerOfADrop) {
    CReconnectPolicy policy;
    const ReconnectClock::time_point start{};
    policy.Connected();
    policy.ReachChanged(heartbeat::REACH_DOMESTIC, start);
    policy.ReachChanged(heartbeat::REACH_CAMPUS, start + 20s);
    EXPECT_EQ(policy.Trigger(), "the domestic heartbeat server stopped answering");
    EXPECT_EQ(policy.RetryAt(), start + 20s);
}

TEST(ReconnectPolicyTest, RandomJitterStaysWithinAFifthOfTheDelay) {
    for (int failures = 1; failures <= 10; ++failures) {
        CReconnectPolicy policy;
        const ReconnectClock::time_point start{};
        policy.Connected();
        policy.Resumed(start);
        for (int i = 0; i < failures; ++i) {
            ASSERT_EQ(policy.Next(policy.RetryAt()).kind, ReconnectDecision::Kind::Reconnect);
            policy.AttemptEnded(gateway::RESULT_FAILED, start);
        }
        const auto delay = CReconnectPolicy::BackoffDelay(failures);
        EXPECT_LE(policy.RetryAt() - start, delay) << failures;
        EXPECT_GE(policy.RetryAt() - start, delay * 4 / 5) << failures;
    }
}

} // namespace
