#include <gtest/gtest.h>

#include "common/rounding.h"
#include "markers/markers.h"
#include "support/fake_marker_labels.h"

namespace tavrin {
namespace {

TEST(MarkerLabel, StandsCentredJustAboveItsPointInSinglePrecision)
{
    test::FakeMarkerLabels labels;
    PlaceMarkerLabel(labels, 2, 251, 511.49999999999983);
    ASSERT_EQ(labels.placements.size(), 1u);
    EXPECT_EQ(labels.placements[0].index, 1);
    EXPECT_EQ(labels.placements[0].left, 244.5);
    EXPECT_EQ(labels.placements[0].top, static_cast<double>(ToSingle(531.49999999999983)));
    EXPECT_EQ(labels.placements[0].top, 531.5);
}

TEST(MarkerLabel, NumberOutsideOneToFiveMovesNothing)
{
    test::FakeMarkerLabels labels;
    PlaceMarkerLabel(labels, 0, 100, 100);
    PlaceMarkerLabel(labels, 6, 100, 100);
    EXPECT_TRUE(labels.placements.empty());
    PlaceMarkerLabel(labels, 5, 100, 100);
    ASSERT_EQ(labels.placements.size(), 1u);
    EXPECT_EQ(labels.placements[0].index, 4);
}

}  // namespace
}  // namespace tavrin
