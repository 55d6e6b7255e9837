#include "race/RiverKinds.h"

namespace {

using P = TPlacement;

constexpr TRiverKindInfo Kinds[RiverKindCount] = {
    // picture          icon        unshoot blast placement       fixedX vessel upstr Z
    {"Tree", nullptr, true, 0, P::Water, 0, false, false, 2},
    {"Tramplin", nullptr, false, 2, P::Water, 0, false, false, 2},
    {"Flag", nullptr, false, 1, P::Water, 0, false, false, 2},
    {"Weed", nullptr, true, 0, P::Water, 0, false, false, 2},
    {"Fisher", nullptr, false, 2, P::Water, 0, false, false, 2},
    {"ShipRight", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"BridgeBigLeft", nullptr, false, 2, P::Fixed, 170, false, false, 2},
    {"Duck", nullptr, false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Bonus10", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Bonus20", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Bonus50", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Bonus100", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Gun", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Shield", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Engine", false, 1, P::Water, 0, false, false, 2},
    {"BoxLeft", "Life", false, 1, P::Water, 0, false, false, 2},
    {"UmbrellaRed", nullptr, false, 0, P::EitherBank, 0, false, false, 2},
    {"UmbrellaGreen", nullptr, false, 0, P::EitherBank, 0, false, false, 2},
    {"UmbrellaBlue", nullptr, false, 0, P::EitherBank, 0, false, false, 2},
    {"BedLeft", nullptr, false, 0, P::LeftBank, 0, false, false, 2},
    {"BedRight", nullptr, false, 0, P::RightBank, 0, false, false, 2},
    {"RoomBlue", nullptr, false, 0, P::EitherBank, 0, false, false, 2},
    {"RoomRed", nullptr, false, 0, P::EitherBank, 0, false, false, 2},
    {"Boat4", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat4_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"Boat5", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat5_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"Boat6", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat6_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"Boat7", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat7_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"Boat8", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat8_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"Boat9", nullptr, false, 2, P::Water, 0, true, true, 3},
    {"Boat9_Inv", nullptr, false, 2, P::Water, 0, true, false, 3},
    {"FinishLine", nullptr, true, 0, P::Fixed, 177, false, false, 2},
};

} // namespace

const TRiverKindInfo& RiverKindInfo(int kind) {
    if (kind < 0 || kind >= RiverKindCount) kind = rkTree;
    return Kinds[kind];
}
