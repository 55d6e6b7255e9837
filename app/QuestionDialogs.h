// The dialogs with a backdrop: the questions (finish race, send result, exit, clear table), the
// name entry and "Sending...". They sit in the dialog table beside the race's own dialogs.
#pragma once

// Puts the six shell dialogs into the dialog table.
void RegisterShellDialogs();
