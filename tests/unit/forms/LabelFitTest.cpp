#include <gtest/gtest.h>

#include "fakes/FakeTextMeasurer.h"
#include "forms/LabelFit.h"

namespace quillmar {
namespace {

using Control = DialogControl;

Control LabelAt(int id, std::string caption, TwipsRect bounds, std::optional<int> font = std::nullopt) {
    return {id, bounds, Control::Label{std::move(caption), font}};
}

TwipsRect BoundsOf(const std::vector<Control>& controls, int id) {
    for (const Control& control : controls) {
        if (control.id == id) return control.bounds;
    }
    return {};
}

class LabelFit : public ::testing::Test {
protected:
    std::vector<Control> Fit(std::vector<Control> controls) {
        return FitLabels(std::move(controls), measurer, 6000, 5000);
    }
    fakes::FakeTextMeasurer measurer;
};

TEST_F(LabelFit, AOneLineLabelGrowsToItsTextInItsOwnFontAndNeverShrinks) {
    const auto fitted = Fit({LabelAt(100, "Translate Color", {210, 2085, 1065, 195}),
                             LabelAt(101, "Set", {210, 2500, 1065, 195}),
                             LabelAt(102, "Title", {210, 100, 600, 300}, 135)});
    EXPECT_EQ(BoundsOf(fitted, 100), (TwipsRect{210, 2085, 1500, 195}));
    EXPECT_EQ(BoundsOf(fitted, 101), (TwipsRect{210, 2500, 1065, 195}));
    EXPECT_EQ(BoundsOf(fitted, 102), (TwipsRect{210, 100, 1000, 300}));
}

TEST_F(LabelFit, AOneLineLabelStopsAtItsRowNeighbourItsFrameAndTheClientEdge) {
    const Control picker{200, {1380, 2040, 255, 240}, Control::Picture{"builtin:palette"}};
    const Control below{201, {300, 2300, 200, 300}, Control::Button{"OK"}};
    const Control hidden{202, {1500, 2040, 255, 240}, Control::Button{"Gone"}, false};
    const Control frame{203, {100, 1800, 3000, 2000}, Control::Frame{"Skin Designer"}};
    const auto fitted = Fit({LabelAt(100, "Translate Color", {210, 2085, 1065, 195}), picker, below, hidden,
                             LabelAt(101, "Main screen skin configuration", {225, 1900, 2250, 195}), frame,
                             LabelAt(102, std::string(80, 'x'), {4000, 100, 1000, 195})});
    auto right = [&](int id) { return BoundsOf(fitted, id).left + BoundsOf(fitted, id).width; };
    EXPECT_EQ(right(100), 1380);      // up to the picture beside it
    EXPECT_EQ(right(101), 3100 - 90);  // up to the frame's inner edge
    EXPECT_EQ(right(102), 6000);       // up to the client edge
}

TEST_F(LabelFit, AOneLineLabelStoppedOnItsRightStartsFurtherLeftIntoFreeRoomOnly) {
    const Control frame{203, {100, 1800, 5000, 2500}, Control::Frame{"Skin Designer"}};
    const Control picker{200, {1380, 2040, 255, 240}, Control::Picture{"builtin:palette"}};
    const Control button{201, {210, 3330, 2385, 330}, Control::Button{"Save Skin File"}};
    const Control statusPicker{202, {4980, 3390, 255, 240}, Control::Picture{"builtin:palette"}};
    const Control lowButton{204, {1000, 3950, 800, 300}, Control::Button{"OK"}};
    const auto fitted = Fit({frame, picker, button, statusPicker, lowButton,
                             LabelAt(100, "Translate Color", {210, 2085, 1065, 195}),
                             LabelAt(101, "Choose Status Color", {3360, 3420, 1440, 195}),
                             LabelAt(102, std::string(40, 'x'), {3000, 4000, 500, 195})});
    // Needs 1500: 1170 to the picker, then left only as far as the frame's inner edge.
    EXPECT_EQ(BoundsOf(fitted, 100), (TwipsRect{190, 2085, 1380 - 190, 195}));
    // Needs 1900: 1620 to the picker, the rest taken from the free room on its left.
    EXPECT_EQ(BoundsOf(fitted, 101), (TwipsRect{3360 - 280, 3420, 1900, 195}));
    // Far too long: from the frame's inner edge on the right back to the button ending left of it.
    EXPECT_EQ(BoundsOf(fitted, 102), (TwipsRect{1800, 4000, 5100 - 90 - 1800, 195}));
}

TEST_F(LabelFit, AWrappingLabelGrowsDownToItsLinesButNotUnderTheControlBelow) {
    const Control line{200, {100, 1500, 4000, 30}, Control::EtchedLine{}};
    const auto fitted = Fit({LabelAt(100, std::string(100, 'w'), {200, 600, 2000, 400}),
                             LabelAt(101, std::string(20, 'w'), {2500, 600, 1000, 400}), line});
    EXPECT_EQ(BoundsOf(fitted, 100), (TwipsRect{200, 600, 2000, 1500 - 600}));  // 5 lines would be 1000
    EXPECT_EQ(BoundsOf(fitted, 101), (TwipsRect{2500, 600, 1000, 400}));
}

}  // namespace
}  // namespace quillmar
