#include "stage/Dialogs.h"

#include <array>

#include "stage/Frame.h"
#include "stage/GameState.h"

namespace {

std::array<TDialogHandler, DialogKindCount + 1> Handlers{};
TDialogScene Scene{};

const TDialogHandler& HandlerOf(TDialogKind kind) {
    static const TDialogHandler none{};
    return kind <= DialogKindCount ? Handlers[kind] : none;
}

} // namespace

void RegisterDialog(TDialogKind kind, const TDialogHandler& handler) {
    if (kind != dkNone && kind <= DialogKindCount) Handlers[kind] = handler;
}

void RegisterDialogScene(const TDialogScene& scene) {
    Scene = scene;
}

void ClearDialogs() {
    Handlers = {};
    Scene = {};
}

void OpenDialog(TDialogKind kind) {
    if (Scene.Opening) Scene.Opening();
    if (DialogKind != dkNone) CloseDialog();
    DialogKind = kind;
    if (const auto open = HandlerOf(kind).Open) open();
}

void CloseDialog() {
    if (Scene.Closing) Scene.Closing();
    if (DialogKind == dkNone) return;
    const TDialogKind kind = DialogKind;
    DialogKind = dkNone;
    if (const auto close = HandlerOf(kind).Close) close();
}

void DialogFrame(int lagCount) {
    StartFrame(lagCount, false);
    if (Scene.Frozen) Scene.Frozen();
    if (const auto frame = HandlerOf(DialogKind).Frame) frame(lagCount);
}
