// Menu buttons: pictures with a normal and a highlighted look, from the menu picture list.
#pragma once
#include <string>

#include "engine/DXSprite.h"

class TMenuButton : public TImageSprite {
  public:
    // Creates the button under Parent at (X, Y), depth 4, showing its normal look.
    TMenuButton(TSprite* parent, const std::string& activeName, double y, double x, int inactivePattern,
                int activePattern, const std::string& inactiveName);

    // Shows the highlighted / normal picture and pattern; the size stays.
    void SetActiveLook();
    void SetInactiveLook();

    std::string ActiveName, InactiveName;
    int32_t ActivePattern = 0, InactivePattern = 0;
    bool Highlighted = false;
};
