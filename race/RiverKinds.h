// The constant table of river-object kinds: picture, icon, how it is placed, whether the gun can
// hit it, which explosion it shows, and its drawing depth.
#pragma once
#include <cstdint>

// Object kinds 0..35.
enum TRiverKind : uint8_t {
    rkTree = 0,
    rkRamp = 1,
    rkFlag = 2,
    rkWeed = 3,
    rkFisher = 4,
    rkShip = 5,
    rkBridge = 6,
    rkDuck = 7,
    rkBonus10 = 8,
    rkBonus20 = 9,
    rkBonus50 = 10,
    rkBonus100 = 11,
    rkGun = 12,
    rkShield = 13,
    rkEngine = 14,
    rkLife = 15,
    rkUmbrellaRed = 16,
    rkUmbrellaGreen = 17,
    rkUmbrellaBlue = 18,
    rkBedLeft = 19,
    rkBedRight = 20,
    rkRoomBlue = 21,
    rkRoomRed = 22,
    rkBoat4 = 23,
    rkBoat4Inv = 24,
    rkBoat5 = 25,
    rkBoat5Inv = 26,
    rkBoat6 = 27,
    rkBoat6Inv = 28,
    rkBoat7 = 29,
    rkBoat7Inv = 30,
    rkBoat8 = 31,
    rkBoat8Inv = 32,
    rkBoat9 = 33,
    rkBoat9Inv = 34,
    rkFinishLine = 35,
};
constexpr int RiverKindCount = 36;

// Where an object goes when it is created.
enum class TPlacement : uint8_t {
    Water,      // random X on the water
    EitherBank, // random bank, random X on it
    LeftBank,
    RightBank,
    Fixed, // fixed X (bridges, finish line)
};

// One row of the kind table.
struct TRiverKindInfo {
    const char* Picture; // sprite picture (boxes: "BoxLeft"; ships and bridges: the first look)
    const char* Icon;    // icon drawn on a box, else nullptr
    bool Unshootable;    // the gun beam passes over it
    uint8_t BlastSize;   // 0 keeps its picture, 1 "ExplosionSmall", 2 "ExplosionBig"
    TPlacement Placement;
    int32_t FixedX; // X of fixed objects
    bool IsVessel;  // moves by itself (ships, boats)
    bool Upstream;  // boats travelling the player's way
    int32_t Z;      // drawing depth after creation
};

// The table, indexed by kind.
const TRiverKindInfo& RiverKindInfo(int kind);
// Bonus boxes (kinds 8..15) are drawn as a box with an icon.
inline bool IsBoxKind(int kind) {
    return kind >= rkBonus10 && kind <= rkLife;
}
// Boats of other racers (kinds 23..34), not ships.
inline bool IsBoatKind(int kind) {
    return kind >= rkBoat4 && kind <= rkBoat9Inv;
}
