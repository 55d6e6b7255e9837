// Everything on the river except the player's boat: obstacles, ramps, ducks, bonus boxes,
// bank decorations, ships, other boats and the finish line, each in one of 30 numbered slots.
#pragma once
#include <cstdint>

#include "engine/DXSprite.h"
#include "race/RiverKinds.h"

// The bank of a shore object, by the game's numbers. A ship keeps the bank it comes from:
// bkLeft moves right, bkRight moves left.
enum TBank : uint8_t { bkEither = 0, bkLeft = 2, bkRight = 3 };

// A river object (a child of the engine root): every object on the river, not only walls, keeps
// this historical name. Its destruction frees its slot.
class TWallSprite : public TImageSprite {
  public:
    // Creates an object of Kind for Slot above the screen, drawing its random choices in order:
    // ship direction or bridge side, boat speed, then bank and X. Sets Rejected when it touches
    // another object (never for the finish line).
    TWallSprite(TSprite* parent, int kind, int slot);
    ~TWallSprite() override;

    // Applies its effect when it touches the player's boat, and makes vessels explode on
    // vessels, bridges and fishermen.
    void CollideWith(TSprite* other, bool& stop) override;
    // Boxes with their icon, boats with their wake, everything else as its picture.
    void Render() override;
    // Animates, runs its collision query, then drifts with the river (and steers, for vessels).
    void Advance(int moveCount) override;

    // Changes only the picture; the size stays.
    void SetPicture(const char* name);
    // Starts its explosion (or, with blast size 0, the end of its picture); it no longer acts.
    void Explode();

    int32_t Slot = 0;         // its slot in RiverObjects, 1..30
    uint8_t Kind = 0;         // TRiverKind
    bool Collected = false;   // taken by the boat; removed at the next cleanup
    int32_t BlastSize = 0;    // explosion picture: 0 none, 1 small, 2 big
    bool Exploded = false;    // showing its explosion; acts no more
    bool Unshootable = false; // the gun beam passes over it
    bool OnShore = false;     // placed on a bank
    bool IsBox = false;       // bonus box: drawn as a box with an icon
    bool RandomX = false;     // X chosen at random on creation
    TBank Bank = bkEither;    // shore objects: the bank they stand on; ships: the bank they start from
    bool Rejected = false;    // touched another object when created; its creator destroys it
    bool IsVessel = false;    // moves by itself: ships and boats
    bool Upstream = false;    // boats travelling the player's way
    double VelocityX = 0;     // sideways step per frame
    double DriftY = 0;        // own step down the screen per frame, on top of the river's
    int32_t SwerveTime = 0;   // boats: ms of the current swerve left
    int32_t LaneMargin = 0;   // boats: how far the lane keeps them from the banks
};

// Destroys the objects that are spent: collected, finished exploding, or out of range.
void RemoveSpentObjects();
// Destroys every river object.
void ClearRiverObjects();
