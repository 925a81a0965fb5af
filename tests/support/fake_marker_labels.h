// Marker labels that only remember what they were told.
#pragma once

#include <array>
#include <vector>

#include "markers/markers.h"

namespace tavrin::test {

class FakeMarkerLabels : public MarkerLabels {
public:
    struct Placement {
        int index;
        double left;
        double top;
    };

    void Show(int index, bool visible) override { visible_.at(static_cast<size_t>(index)) = visible; }
    bool Visible(int index) const override { return visible_.at(static_cast<size_t>(index)); }
    void Move(int index, double left, double top) override { placements.push_back({index, left, top}); }
    double HalfWidth() const override { return halfWidth; }
    double Height() const override { return height; }

    double halfWidth = 6.5;
    double height = 20;
    std::vector<Placement> placements;

private:
    std::array<bool, kMarkerCount> visible_{};
};

}  // namespace tavrin::test
