// The running average and the link check's serial-number rule.
#include "measure/averaging.h"
#include "measure/acquisition_group.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {

std::vector<int16_t> Feed(RunningAverage &avg, std::initializer_list<int> values)
{
    std::vector<int16_t> out;
    LiveTrace live{};
    for (int v : values) {
        LiveTrace points{};
        points.fill(static_cast<int16_t>(v));
        avg.Add(points, live);
        out.push_back(live[123]);
        EXPECT_EQ(live[0], live[499]);
    }
    return out;
}

TEST(RunningAverage, FillsThenSlidesWithHalvesToEven)
{
    struct Case {
        int n;
        std::initializer_list<int> values;
        std::vector<int16_t> live;
    };
    const Case cases[] = {
        {4, {10, 20, 30, 40, 50}, {10, 15, 20, 25, 35}},  // the fifth replaces the 10
        {2, {1, 2}, {1, 2}},                              // 1.5 rounds to even 2
        {2, {2, 3, 5}, {2, 2, 4}},                        // 2.5 to 2, (3+5)/2
        {1, {7, 9, 1023}, {7, 9, 1023}},
        {3, {1023, 1023, 1023, 0}, {1023, 1023, 1023, 682}},
    };
    for (const Case &c : cases) {
        RunningAverage avg;
        avg.Restart(c.n);
        EXPECT_EQ(Feed(avg, c.values), c.live) << "N = " << c.n;
        EXPECT_EQ(avg.Fill(), std::min<int>(c.n, static_cast<int>(c.values.size())));
        EXPECT_EQ(avg.Slot(), static_cast<int>(c.values.size()) % c.n);
    }
}

TEST(RunningAverage, RestartDiscardsTheRingAndCountsBelowOneActAsOne)
{
    RunningAverage avg;
    avg.Restart(4);
    Feed(avg, {100, 200});
    avg.Restart(4);
    EXPECT_EQ(Feed(avg, {8}), std::vector<int16_t>{8});
    avg.Restart(0);
    EXPECT_EQ(avg.Count(), 1);
    EXPECT_EQ(Feed(avg, {5, 6}), (std::vector<int16_t>{5, 6}));
}

TEST(LinkCheck, SerialNumberMustSortBeforeFiveNines)
{
    struct Case {
        const char *text;
        bool answers;
    };
    for (Case c : {Case{"12345", true}, Case{"4711", true}, Case{"99998", true}, Case{"99999", false},
                   Case{"999999", false}, Case{"9999999", false}, Case{"0", true}}) {
        EXPECT_EQ(SerialNumberAnswers(c.text), c.answers) << c.text;
    }
}

}  // namespace
