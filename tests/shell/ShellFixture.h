// A started game on the headless harness, with the sounds it plays recorded and helpers to get
// through the main menu's intro and to the screens.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Harness.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "app/Screens.h"
#include "engine/PictureCollection.h"
#include "platform/KeyCodes.h"
#include "stage/CaptionSprite.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"

struct ShellFixture : ::testing::Test {
    std::unique_ptr<GameHarness> game;
    std::vector<std::string> sounds; // every sound played, in order

    void SetUp() override {
        game = std::make_unique<GameHarness>();
        SoundListener = [this](const std::string& name, bool play) {
            if (play) sounds.push_back(name);
        };
    }
    void TearDown() override {
        SoundListener = nullptr;
        game.reset();
    }

    // Steps frames until the intro animation is over; returns how many it took.
    int FinishIntro(int limit = 600) {
        int frames = 0;
        while (MenuAnimPhase() != 0 && frames < limit) {
            game->Step();
            ++frames;
        }
        return frames;
    }
    int Count(const std::string& sound) const { return int(std::count(sounds.begin(), sounds.end(), sound)); }
    // The middle of a slot's sprite, for the mouse.
    void Hover(int slot) {
        TSprite* s = Buttons[size_t(slot)];
        ASSERT_NE(s, nullptr) << "slot " << slot;
        game->MoveMouse(int(s->X) + s->Width / 2, int(s->Y) + s->Height / 2);
    }
    void ClickSlot(int slot) {
        TSprite* s = Buttons[size_t(slot)];
        ASSERT_NE(s, nullptr) << "slot " << slot;
        game->Click(int(s->X) + s->Width / 2, int(s->Y) + s->Height / 2);
    }
    // A key held for one frame, then released (read through the input states).
    void Tap(int key) {
        game->Window().SetKey(key, true);
        game->Step();
        game->Window().SetKey(key, false);
        game->Step();
    }
    bool Lit(int slot) {
        TMenuButton* b = ButtonAt(slot);
        return b && b->Highlighted;
    }
    // The button shows its highlighted picture (lit), whether or not it is the highlight.
    bool ShowsActiveLook(int slot) {
        TMenuButton* b = ButtonAt(slot);
        return b && b->Image && b->Image->Name() == b->ActiveName && int(b->AnimPosition) == b->ActivePattern;
    }
};
