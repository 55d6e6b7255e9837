// The dialogs with a backdrop: the questions (finish race, send result, exit, clear table), the
// name entry and "Sending...". OpenDialog, CloseDialog and DialogFrame hand these kinds here.
#pragma once

// True for kinds 4, 5, 6, 7, 9 and 10.
bool IsQuestionDialog(int kind);
// The kind's own opening steps (backdrop, buttons, ranges, cursor), after DialogKind is set.
void OpenQuestionDialog(int kind);
// The kind's own closing steps (buttons, ranges, cursor, backdrop), before DialogKind is cleared.
void CloseQuestionDialog(int kind);
// The kind's frame after the frozen scene was drawn: highlight, text, keys.
void QuestionDialogFrame(int kind, int lagCount);
