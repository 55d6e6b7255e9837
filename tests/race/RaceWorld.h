// A race world without the form: a headless display, a race picture list of plain coloured
// pictures (or the built race pictures), the sprite engine, input and the race's own dialogs,
// wired as the form wires its components. Frames are stepped with a scripted input state.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/DIB.h"
#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXInput.h"
#include "engine/DXSprite.h"
#include "engine/PictureCollection.h"
#include "engine/StreamReader.h"
#include "platform/HeadlessWindow.h"
#include "platform/Png.h"
#include "race/Boat.h"
#include "race/Course.h"
#include "race/Effects.h"
#include "race/RaceDialogs.h"
#include "race/RaceFlow.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "race/RiverObject.h"
#include "records/HighScores.h"
#include "stage/CaptionSprite.h"
#include "stage/Dialogs.h"
#include "stage/Game.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/KeyEdges.h"
#include "stage/ScrollBackground.h"

namespace racetest {

// A picture the fixture puts in the race list: name, pattern size, pattern count, colour.
struct PictureShape {
    const char* Name;
    int Width, Height, Patterns;
    uint32_t Rgb; // 0xRRGGBB
};

// Every race picture with a size like the game's art.
inline const std::vector<PictureShape>& RacePictureShapes() {
    static const std::vector<PictureShape> shapes = {
        {"Land", 552, 200, 1, 0x2E9BD6},
        {"LeftPanel", 124, 600, 1, 0x3A4A6B},
        {"RightPanel", 140, 600, 1, 0x3A4A6B},
        {"BoatSmall", 16, 24, 1, 0xFFD23F},
        {"Pointer", 38, 7, 1, 0xE63946},
        {"CarAnim", 84, 140, 4, 0xE8F7FF},
        {"EngineFire", 12, 20, 4, 0xF4A261},
        {"BoatGunFire", 10, 20, 4, 0xFFD23F},
        {"PanelGun", 60, 40, 1, 0x8A94A6},
        {"PanelEngine", 70, 44, 1, 0x8A94A6},
        {"PanelShield", 66, 44, 1, 0x8A94A6},
        {"None", 72, 24, 1, 0x5C7099},
        {"ExplosionBig", 64, 64, 8, 0xF4A261},
        {"ExplosionSmall", 32, 32, 8, 0xFFD23F},
        {"Boat1_Normal", 40, 80, 1, 0xE63946},
        {"Boat1_Big", 52, 104, 1, 0xE63946},
        {"Boat2_Normal", 40, 80, 1, 0x277DA1},
        {"Boat2_Big", 52, 104, 1, 0x277DA1},
        {"Boat3_Normal", 40, 80, 1, 0x6CC04A},
        {"Boat3_Big", 52, 104, 1, 0x6CC04A},
        {"BoatGun", 14, 30, 1, 0x1B1B2F},
        {"BoatGunBig", 18, 38, 1, 0x1B1B2F},
        {"BoatShield", 56, 100, 1, 0x7CC6F0},
        {"BoatShieldBig", 70, 126, 1, 0x7CC6F0},
        {"BoatEngine", 24, 18, 1, 0x25304A},
        {"BoatEngineBig", 30, 22, 1, 0x25304A},
        {"Tree", 40, 40, 1, 0x3E8E2F},
        {"Tramplin", 60, 36, 1, 0xA0622D},
        {"Flag", 20, 40, 1, 0xE63946},
        {"Weed", 44, 30, 1, 0x6CC04A},
        {"Fisher", 40, 40, 1, 0xD9822B},
        {"ShipRight", 120, 50, 1, 0xD6DCE4},
        {"ShipLeft", 120, 50, 1, 0xD6DCE4},
        {"BridgeBigLeft", 260, 48, 1, 0x6E3F1A},
        {"BridgeBigRight", 75, 48, 1, 0x6E3F1A},
        {"Duck", 24, 20, 1, 0xFFD23F},
        {"BoxLeft", 32, 32, 1, 0xA0622D},
        {"BoxRight", 32, 32, 1, 0x6E3F1A},
        {"Bonus10", 20, 20, 1, 0xFFFFFF},
        {"Bonus20", 20, 20, 1, 0xFFFFFF},
        {"Bonus50", 20, 20, 1, 0xFFFFFF},
        {"Bonus100", 20, 20, 1, 0xFFFFFF},
        {"Gun", 20, 20, 1, 0x1B1B2F},
        {"Shield", 20, 20, 1, 0x7CC6F0},
        {"Engine", 20, 20, 1, 0x25304A},
        {"Life", 20, 20, 1, 0xE63946},
        {"UmbrellaRed", 40, 40, 1, 0xE63946},
        {"UmbrellaGreen", 40, 40, 1, 0x6CC04A},
        {"UmbrellaBlue", 40, 40, 1, 0x277DA1},
        {"BedLeft", 30, 44, 1, 0xF2D28B},
        {"BedRight", 30, 44, 1, 0xF2D28B},
        {"RoomBlue", 44, 40, 1, 0x1D5C7A},
        {"RoomRed", 44, 40, 1, 0xB02A35},
        {"FinishLine", 432, 16, 1, 0xFFFFFF},
        {"BoatAnim", 40, 90, 4, 0xE8F7FF},
        {"BoatAnim_Inv", 40, 90, 4, 0xE8F7FF},
        {"Boat4", 36, 70, 1, 0xF4A261},
        {"Boat4_Inv", 36, 70, 1, 0xF4A261},
        {"Boat5", 34, 66, 1, 0x2A9D8F},
        {"Boat5_Inv", 34, 66, 1, 0x2A9D8F},
        {"Boat6", 38, 72, 1, 0xD6DCE4},
        {"Boat6_Inv", 38, 72, 1, 0xD6DCE4},
        {"Boat7", 30, 60, 1, 0xFFD23F},
        {"Boat7_Inv", 30, 60, 1, 0xFFD23F},
        {"Boat8", 40, 76, 1, 0xB02A35},
        {"Boat8_Inv", 40, 76, 1, 0xB02A35},
        {"Boat9", 36, 74, 1, 0x1D5C7A},
        {"Boat9_Inv", 36, 74, 1, 0x1D5C7A},
    };
    return shapes;
}

// Adds a picture of plain colour with a dark outline per pattern, patterns side by side, each
// pattern a little lighter than the one before.
inline void AddPicture(TPictureCollection& list, const PictureShape& shape) {
    const int w = shape.Width * shape.Patterns, h = shape.Height;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int px = x % shape.Width, pattern = x / shape.Width;
            const bool edge = px < 2 || y < 2 || px >= shape.Width - 2 || y >= h - 2;
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            const uint32_t c = edge ? 0x1B1B2F : shape.Rgb;
            const int lift = edge ? 0 : pattern * 12;
            p[0] = uint8_t(std::min(255, int((c >> 16) & 0xFF) + lift));
            p[1] = uint8_t(std::min(255, int((c >> 8) & 0xFF) + lift));
            p[2] = uint8_t(std::min(255, int(c & 0xFF) + lift));
        }
    TPictureCollectionItem& item = list.Add();
    item.SetName(shape.Name);
    item.PatternWidth = shape.Width;
    item.PatternHeight = shape.Height;
    item.Transparent = true;
    item.SetTransparentColor(0x00FF00FF); // magenta, never used in these pictures
    std::vector<uint8_t> payload = MakeDIBPayload(EncodeDIB24(w, h, rgb));
    TByteReader reader(payload);
    item.Picture().ReadData(reader);
}

// One frame's held controls.
struct Controls {
    bool Up = false, Down = false, Left = false, Right = false, Fire = false, Pause = false, Esc = false;
};

// The race world. Construct, optionally tweak, then StartRace(); destruction ends the race.
class RaceWorld {
  public:
    // Plain pictures by default; UseBuiltArt loads the built race list when it exists.
    explicit RaceWorld(bool useBuiltArt = false) {
        ResetGameState();
        ResetRaceState();
        ResetHighScores();
        FrameMs = 15;
        VelocityScale = 0.5;
        RandomState = 0;

        WireComponents({draw, menuList, raceList, sprites, input, timer});

        // SPRAYDASH_RES3 may name another built race list (for screenshots from a shared build).
        const char* env = std::getenv("SPRAYDASH_RES3");
        const std::string built = env && *env ? env : std::string(SPRAYDASH_DATA_DIR) + "/Res/Res3.dxg";
        usesBuiltArt = useBuiltArt && std::filesystem::exists(built);
        if (usesBuiltArt)
            raceList.Items().LoadListFile(built);
        else
            for (const PictureShape& s : RacePictureShapes())
                AddPicture(raceList.Items(), s);
        draw.InitializeDisplay();

        ClearDialogs();
        RegisterRaceDialogs();
        // The race hands over to whatever follows; here that is a stand-in for the main menu.
        Current() = this;
        SetRaceOverHandler([] {
            ScreenMode = smMainMenu;
            ++Current()->raceOvers;
        });

        Background = new TScrollBackground(&sprites.Engine(), raceList, "Land");
    }

    ~RaceWorld() {
        if (PlayerBoat) EndRace();
        delete Background;
        Background = nullptr;
        SoundListener = nullptr;
        sprites.Engine().DestroyChildren();
        ClearDialogs();
        Current() = nullptr;
        Game = TGame{};
        ResetGameState();
        ResetRaceState();
    }

    // Starts a race with boat 1..3 from a given generator state.
    void Start(uint32_t seed = 0, int boat = 1) {
        RandomState = seed;
        ChosenBoat = boat;
        StartRace();
    }

    // One frame with these controls held (key edges derived as the frame timer does).
    void Step(const Controls& c = {}) {
        input.States.Clear();
        if (c.Up) input.States.Include(isUp);
        if (c.Down) input.States.Include(isDown);
        if (c.Left) input.States.Include(isLeft);
        if (c.Right) input.States.Include(isRight);
        if (c.Fire) input.States.Include(isButton8);
        if (c.Pause) input.States.Include(isButton4);
        if (c.Esc) input.States.Include(isButton5);
        UpdateInputEdges(input);
        RaceFrame(1);
        ++frames;
    }
    void Steps(int n, const Controls& c = {}) {
        for (int i = 0; i < n; ++i)
            Step(c);
    }
    // Runs frames until the level intro has closed.
    void SkipIntro() {
        for (int i = 0; i < 1000 && DialogKind == dkLevelIntro; ++i)
            Step();
    }
    // Starts a race, closes the level intro and clears the river: the boat alone on level 1.
    TMyCarSprite* StartOnEmptyRiver() {
        Start();
        SkipIntro();
        ClearRiverObjects();
        return PlayerBoat;
    }

    // An object of Kind in the first free slot, moved to (X, Y).
    TWallSprite* Put(int kind, double x, double y) {
        int slot = 1;
        while (RiverObjectUsed[slot])
            ++slot;
        RiverObjectUsed[slot] = true;
        auto* o = new TWallSprite(&sprites.Engine(), kind, slot);
        RiverObjects[slot] = o;
        o->X = x;
        o->Y = y;
        return o;
    }

    // The back surface as a PNG under <build>/test-output.
    bool Screenshot(const std::string& name) {
        const std::filesystem::path dir = std::filesystem::path(SPRAYDASH_BINARY_DIR) / "test-output";
        std::filesystem::create_directories(dir);
        TDirectDrawSurface& s = draw.BackSurface();
        return platform::SavePng565((dir / (name + ".png")).string(), s.Pixels(), s.Width(), s.Height(),
                                    s.PitchPixels());
    }

    platform::HeadlessWindow window;
    TDXDraw draw{&window};
    TDXImageList menuList, raceList;
    TDXSpriteEngine sprites;
    TDXInput input{&window};
    TDXTimer timer;
    bool usesBuiltArt = false;
    int raceOvers = 0; // times the race handed over to the next screen
    int frames = 0;

  private:
    static RaceWorld*& Current() {
        static RaceWorld* world = nullptr;
        return world;
    }
};

} // namespace racetest
