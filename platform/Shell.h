// Handing a URL to the desktop so it opens in the user's browser.
#pragma once
#include <string>
#include <vector>

namespace platform {

// Starts "xdg-open url" directly (no shell in between) and returns without waiting for it.
// False when the opener could not be started; the game ignores that.
bool OpenUrl(const std::string& url);

// Makes OpenUrl record each URL into sink instead of starting anything (headless tests);
// nullptr restores the real opener.
void RecordOpenedUrls(std::vector<std::string>* sink);

} // namespace platform
