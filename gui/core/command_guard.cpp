#include "command_guard.h"

#include <exception>
#include <new>

bool runGuarded(Prompts& prompts, const std::function<void()>& command) {
    const char* text = nullptr;
    std::string what;
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        text = "Out of memory";
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        text = "Unknown error";
    }
    // Showing the box happens outside the handler, so a failure there cannot nest.
    try {
        prompts.message(kCaption, text ? std::string(text) : what, Icon::Error);
    } catch (...) {
    }
    return false;
}
