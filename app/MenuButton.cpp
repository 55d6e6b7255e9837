#include "app/MenuButton.h"

#include "engine/PictureCollection.h"
#include "stage/Game.h"

namespace {
TPictureCollectionItem& MenuPicture(const std::string& name) {
    return MenuPictures().Items().FindItem(name);
}
} // namespace

TMenuButton::TMenuButton(TSprite* parent, const std::string& activeName, double y, double x,
                         int inactivePattern, int activePattern, const std::string& inactiveName)
    : TImageSprite(parent), ActiveName(activeName), InactiveName(inactiveName), ActivePattern(activePattern),
      InactivePattern(inactivePattern) {
    Image = &MenuPicture(inactiveName);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    AnimFrames = Image->NumPatterns();
    AnimLoop = true;
    AnimRate = 0;
    AnimPosition = inactivePattern;
    X = x;
    Y = y;
    SetZ(4);
    Highlighted = false;
}

void TMenuButton::SetActiveLook() {
    Image = &MenuPicture(ActiveName);
    AnimPosition = ActivePattern;
}

void TMenuButton::SetInactiveLook() {
    Image = &MenuPicture(InactiveName);
    AnimPosition = InactivePattern;
}
