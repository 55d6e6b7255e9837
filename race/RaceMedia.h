// The race's access to its pictures and the surface it draws on.
#pragma once

class TPictureCollectionItem;
class TDirectDrawSurface;

// The named picture of the race list (MDXImageList3); a missing name raises the list's error.
TPictureCollectionItem& RacePicture(const char* name);
// The display's back surface everything is drawn on.
TDirectDrawSurface& RaceSurface();
